#include "platform/io/records.h"

#include <sys/stat.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <utility>

#include "platform/io/iostat.h"

namespace meru::io {

namespace {
constexpr std::size_t kBufferSize = 1 << 16;
}

RecordReader::~RecordReader() { close(); }

RecordReader::RecordReader(RecordReader&& other) noexcept { *this = std::move(other); }

RecordReader& RecordReader::operator=(RecordReader&& other) noexcept
{
    if (this != &other) {
        close();
        file_ = std::exchange(other.file_, nullptr);
        open_ = std::exchange(other.open_, false);
        buf_ = std::move(other.buf_);
        buf_start_ = other.buf_start_;
        buf_len_ = other.buf_len_;
        memory_ = other.memory_;
        pos_ = other.pos_;
        rec_ = other.rec_;
        inside_ = other.inside_;
        eof_ = other.eof_;
        starts_ = std::move(other.starts_);
        other.starts_ = {0};
    }
    return *this;
}

int RecordReader::open(const std::string& path)
{
    close();
    std::FILE* f = std::fopen(path.c_str(), "rb");
    if (!f) return errno == ENOENT ? kErrNotFound : kErrOpen;
    // Records come from regular files only: a device or a pipe may never end.
    struct stat st = {};
    if (::fstat(::fileno(f), &st) != 0 || !S_ISREG(st.st_mode)) {
        std::fclose(f);
        errno = EINVAL;
        return kErrOpen;
    }
    file_ = f;
    open_ = true;
    memory_ = false;
    buf_.assign(kBufferSize, '\0');
    return kOk;
}

void RecordReader::open_text(std::string text)
{
    close();
    buf_.assign(text.begin(), text.end());
    buf_len_ = buf_.size();
    memory_ = true;
    open_ = true;
}

void RecordReader::close()
{
    if (file_) std::fclose(file_);
    file_ = nullptr;
    open_ = false;
    memory_ = false;
    buf_.clear();
    buf_start_ = 0;
    buf_len_ = 0;
    pos_ = 0;
    rec_ = 0;
    inside_ = false;
    eof_ = false;
    starts_.assign(1, 0);
}

int RecordReader::byte_at(std::uint64_t pos)
{
    if (pos >= buf_start_ && pos < buf_start_ + buf_len_)
        return static_cast<unsigned char>(buf_[static_cast<std::size_t>(pos - buf_start_)]);
    if (memory_ || !file_) return -1;
    if (fseeko(file_, static_cast<off_t>(pos), SEEK_SET) != 0) return -1;
    buf_start_ = pos;
    buf_len_ = std::fread(buf_.data(), 1, buf_.size(), file_);
    if (buf_len_ == 0) return -1;
    return static_cast<unsigned char>(buf_[0]);
}

void RecordReader::note_record_start(long long index, std::uint64_t pos)
{
    if (static_cast<std::size_t>(index) == starts_.size()) starts_.push_back(pos);
}

void RecordReader::finish_record()
{
    const int c = byte_at(pos_);
    if (c == '\n') {
        ++pos_;
    } else if (c == '\r') {
        ++pos_;
        if (byte_at(pos_) == '\n') ++pos_;
    }
    ++rec_;
    inside_ = false;
    note_record_start(rec_, pos_);
}

void RecordReader::skip_byte_order_mark()
{
    if (pos_ == 0 && byte_at(0) == 0xEF && byte_at(1) == 0xBB && byte_at(2) == 0xBF) pos_ = 3;
}

int RecordReader::start_read()
{
    if (!open_) return kErrNotOpen;
    if (eof_) return kEndOfFile;
    skip_byte_order_mark();
    if (byte_at(pos_) < 0 && !inside_) {
        eof_ = true;
        return kEndOfFile;
    }
    return kOk;
}

void RecordReader::take(std::string* out, std::size_t most)
{
    int c = byte_at(pos_);
    while (most > 0 && c >= 0 && c != '\n' && c != '\r') {
        // The run of ordinary bytes held in the buffer at once.
        const std::size_t off = static_cast<std::size_t>(pos_ - buf_start_);
        const char* from = buf_.data() + off;
        std::size_t len = std::min(buf_len_ - off, most);
        if (const void* lf = std::memchr(from, '\n', len))
            len = static_cast<std::size_t>(static_cast<const char*>(lf) - from);
        if (const void* cr = std::memchr(from, '\r', len))
            len = static_cast<std::size_t>(static_cast<const char*>(cr) - from);
        if (out) out->append(from, len);
        pos_ += len;
        most -= len;
        c = byte_at(pos_);
    }
}

int RecordReader::read(std::string& record)
{
    record.clear();
    if (const int st = start_read(); st != kOk) return st;
    take(&record, std::string::npos);
    finish_record();
    return kOk;
}

int RecordReader::read_piece(std::string& piece, std::size_t most, bool& last)
{
    piece.clear();
    last = false;
    if (const int st = start_read(); st != kOk) return st;
    take(&piece, std::max<std::size_t>(most, 1));
    const int c = byte_at(pos_);
    last = c < 0 || c == '\n' || c == '\r';
    if (last) finish_record();
    else inside_ = true;
    return kOk;
}

int RecordReader::skip_record()
{
    if (const int st = start_read(); st != kOk) return st;
    take(nullptr, std::string::npos);
    finish_record();
    return kOk;
}

int RecordReader::read(std::string& record, std::size_t width)
{
    const int st = read(record);
    if (st == kOk) record.resize(width, ' ');
    else record.assign(width, ' ');
    return st;
}

int RecordReader::get_char(char& c)
{
    c = ' ';
    if (!open_) return kErrNotOpen;
    if (eof_) return kEndOfFile;
    skip_byte_order_mark();
    const int b = byte_at(pos_);
    if (b < 0) {
        if (!inside_) {
            eof_ = true;
            return kEndOfFile;
        }
        finish_record();
        return kEndOfRecord;
    }
    if (b == '\n' || b == '\r') {
        finish_record();
        return kEndOfRecord;
    }
    c = static_cast<char>(b);
    ++pos_;
    inside_ = true;
    return kOk;
}

int RecordReader::rewind()
{
    if (!open_) return kErrNotOpen;
    pos_ = 0;
    rec_ = 0;
    inside_ = false;
    eof_ = false;
    return kOk;
}

int RecordReader::backspace()
{
    if (!open_) return kErrNotOpen;
    if (eof_) {
        eof_ = false;
        return kOk;
    }
    if (inside_) {
        pos_ = starts_[static_cast<std::size_t>(rec_)];
        inside_ = false;
        return kOk;
    }
    if (rec_ == 0) return kOk;
    --rec_;
    pos_ = starts_[static_cast<std::size_t>(rec_)];
    return kOk;
}

void RecordReader::skip_to_end()
{
    while (skip_record() == kOk) {}
}

std::vector<std::string> split_records(std::string_view text)
{
    std::vector<std::string> out;
    std::size_t i = text.starts_with("\xEF\xBB\xBF") ? 3 : 0;
    while (i < text.size()) {
        std::size_t j = i;
        while (j < text.size() && text[j] != '\n' && text[j] != '\r') ++j;
        out.emplace_back(text.substr(i, j - i));
        if (j < text.size() && text[j] == '\r' && j + 1 < text.size() && text[j + 1] == '\n') ++j;
        i = j + 1;
    }
    return out;
}

} // namespace meru::io
