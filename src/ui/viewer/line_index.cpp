#include "ui/viewer/line_index.h"

#include <algorithm>
#include <cstring>
#include <functional>
#include <utility>

namespace meru::ui::viewer {

namespace {

// Bytes read at a time when indexing, and the most a search or a page reads at once.
constexpr std::size_t kScanBlock = std::size_t{1} << 20;
constexpr std::uint64_t kReadBlock = std::uint64_t{4} << 20;
// Bytes at each end of the indexed part that tell a grown file from a replaced one.
constexpr std::size_t kFingerprintBytes = 4096;

bool line_end(char c) { return c == '\n' || c == '\r'; }

// The text of a line as read from a buffer that may hold its line end.
std::string_view content(const char* data, std::size_t size)
{
    std::size_t n = 0;
    while (n < size && !line_end(data[n])) ++n;
    return {data, n};
}

std::uint64_t fnv1a(std::uint64_t h, const char* data, std::size_t size)
{
    for (std::size_t i = 0; i < size; ++i) {
        h ^= static_cast<unsigned char>(data[i]);
        h *= 0x100000001b3ULL;
    }
    return h;
}

} // namespace

bool holds(std::string_view line, std::string_view needle, std::size_t columns)
{
    if (needle.size() > columns) return false;
    const std::string_view shown = line.substr(0, std::min(line.size(), columns));
    const std::size_t last = columns - needle.size();
    for (std::size_t i = 0; i <= last; ++i) {
        std::size_t t = 0;
        while (t < needle.size() && (i + t < shown.size() ? shown[i + t] : ' ') == needle[t]) ++t;
        if (t == needle.size()) return true;
    }
    return false;
}

LineIndex::~LineIndex() { close(); }

LineIndex::LineIndex(LineIndex&& other) noexcept { *this = std::move(other); }

LineIndex& LineIndex::operator=(LineIndex&& other) noexcept
{
    if (this != &other) {
        close();
        file_ = std::exchange(other.file_, nullptr);
        path_ = std::move(other.path_);
        starts_ = std::exchange(other.starts_, {0});
        scanned_ = std::exchange(other.scanned_, 0);
        pending_cr_ = std::exchange(other.pending_cr_, false);
        check_ = std::exchange(other.check_, 0);
    }
    return *this;
}

bool LineIndex::open(const std::string& path)
{
    close();
    std::FILE* f = std::fopen(path.c_str(), "rb");
    bool extend = false;
    if (f && path == path_ && scanned_ > 0 && fseeko(f, 0, SEEK_END) == 0) {
        const off_t size = ftello(f);
        file_ = f;
        extend = size >= 0 && static_cast<std::uint64_t>(size) >= scanned_ && fingerprint(scanned_) == check_;
        file_ = nullptr;
    }
    if (!extend) {
        starts_.assign(1, 0);
        scanned_ = 0;
        pending_cr_ = false;
        check_ = 0;
    }
    path_ = path;
    if (!f) return false;
    file_ = f;
    scan();
    check_ = fingerprint(scanned_);
    return true;
}

void LineIndex::close()
{
    if (file_) std::fclose(file_);
    file_ = nullptr;
}

long long LineIndex::lines() const
{
    const long long ended = static_cast<long long>(starts_.size()) - 1;
    return scanned_ > starts_.back() ? ended + 1 : ended;
}

std::size_t LineIndex::read_at(std::uint64_t offset, char* out, std::size_t count) const
{
    if (!file_ || count == 0) return 0;
    if (fseeko(file_, static_cast<off_t>(offset), SEEK_SET) != 0) return 0;
    return std::fread(out, 1, count, file_);
}

std::uint64_t LineIndex::fingerprint(std::uint64_t upto) const
{
    std::vector<char> buf(kFingerprintBytes);
    std::uint64_t h = 0xcbf29ce484222325ULL ^ upto;
    const std::size_t head = static_cast<std::size_t>(std::min<std::uint64_t>(upto, kFingerprintBytes));
    h = fnv1a(h, buf.data(), read_at(0, buf.data(), head));
    const std::size_t tail = static_cast<std::size_t>(std::min<std::uint64_t>(upto, kFingerprintBytes));
    return fnv1a(h, buf.data(), read_at(upto - tail, buf.data(), tail));
}

void LineIndex::scan()
{
    std::vector<char> buf(kScanBlock);
    if (fseeko(file_, static_cast<off_t>(scanned_), SEEK_SET) != 0) return;
    for (;;) {
        const std::size_t got = std::fread(buf.data(), 1, buf.size(), file_);
        if (got == 0) break;
        const char* data = buf.data();
        std::size_t i = 0;
        // A line feed right after a carriage return belongs to that line's end.
        if (pending_cr_) {
            pending_cr_ = false;
            if (data[0] == '\n') {
                starts_.back() = scanned_ + 1;
                i = 1;
            }
        }
        if (!std::memchr(data + i, '\r', got - i)) {
            // Line feeds only: find them with memchr.
            while (i < got) {
                const void* lf = std::memchr(data + i, '\n', got - i);
                if (!lf) break;
                i = static_cast<std::size_t>(static_cast<const char*>(lf) - data) + 1;
                starts_.push_back(scanned_ + i);
            }
        } else {
            for (; i < got; ++i) {
                const char c = data[i];
                if (c == '\n') {
                    starts_.push_back(scanned_ + i + 1);
                } else if (c == '\r') {
                    if (i + 1 < got) {
                        if (data[i + 1] == '\n') ++i;
                    } else {
                        pending_cr_ = true;
                    }
                    starts_.push_back(scanned_ + i + 1);
                }
            }
        }
        scanned_ += got;
    }
    std::clearerr(file_);
}

std::string LineIndex::line(long long k, std::size_t width) const
{
    auto one = lines(k, 1, width);
    return one.empty() ? std::string() : std::move(one.front());
}

std::vector<std::string> LineIndex::lines(long long first, long long count, std::size_t width) const
{
    std::vector<std::string> out;
    const long long total = lines();
    if (first < 0 || first >= total || count <= 0) return out;
    const long long last = std::min(total, first + count); // one past
    auto end_of = [&](long long k) {
        return k + 1 < static_cast<long long>(starts_.size()) ? start(k + 1) : scanned_;
    };
    const std::uint64_t from = start(first), to = end_of(last - 1);
    if (to - from <= kReadBlock) {
        std::string buf(static_cast<std::size_t>(to - from), '\0');
        buf.resize(read_at(from, buf.data(), buf.size()));
        for (long long k = first; k < last; ++k) {
            const std::uint64_t at = std::min<std::uint64_t>(start(k) - from, buf.size());
            const std::uint64_t len = std::min<std::uint64_t>(end_of(k) - start(k), buf.size() - at);
            std::string_view text = content(buf.data() + at, static_cast<std::size_t>(len));
            out.emplace_back(text.substr(0, std::min(text.size(), width)));
        }
        return out;
    }
    std::string buf;
    for (long long k = first; k < last; ++k) {
        buf.assign(static_cast<std::size_t>(std::min<std::uint64_t>(end_of(k) - start(k), width)), '\0');
        buf.resize(read_at(start(k), buf.data(), buf.size()));
        out.emplace_back(content(buf.data(), buf.size()));
    }
    return out;
}

std::optional<long long> LineIndex::find(long long first, std::string_view needle, std::size_t columns) const
{
    const long long total = lines();
    if (first < 0) first = 0;
    if (first >= total || needle.size() > columns) return std::nullopt;
    if (needle.empty()) return first;
    if (needle.find_first_of("\r\n") != std::string_view::npos) return std::nullopt;
    // The needle without its trailing blanks: those may stand past a line's text.
    const std::string_view core = needle.substr(0, needle.find_last_not_of(' ') + 1);
    const std::boyer_moore_horspool_searcher searcher(core.begin(), core.end());

    std::string buf;
    long long a = first;
    while (a < total) {
        const std::uint64_t from = start(a);
        auto it = std::upper_bound(starts_.begin() + a + 1, starts_.end(), from + kReadBlock);
        long long b = (it - starts_.begin()) - 1; // lines a .. b-1 fit in one block
        if (it == starts_.end() && scanned_ - from <= kReadBlock) b = total;
        b = std::min(b, total);
        if (b == a || core.empty()) {
            // A line longer than a block, or a needle of blanks: line by line.
            const long long upto = std::max(b, a + 1);
            for (long long k = a; k < upto; ++k)
                if (holds(line(k, columns), needle, columns)) return k;
            a = upto;
            continue;
        }
        const std::uint64_t to = b < static_cast<long long>(starts_.size()) ? start(b) : scanned_;
        buf.resize(static_cast<std::size_t>(to - from));
        buf.resize(read_at(from, buf.data(), buf.size()));
        auto pos = buf.cbegin();
        for (;;) {
            auto hit = std::search(pos, buf.cend(), searcher);
            if (hit == buf.cend()) break;
            const std::uint64_t at = from + static_cast<std::uint64_t>(hit - buf.cbegin());
            auto line_it = std::upper_bound(starts_.begin() + a, starts_.begin() + b, at) - 1;
            const long long k = line_it - starts_.begin();
            // The line holds the needle's text; its trailing blanks and the column
            // limit decide.
            const std::size_t text_start = static_cast<std::size_t>(start(k) - from);
            if (holds(content(buf.data() + text_start, std::min(buf.size() - text_start, columns)), needle, columns))
                return k;
            if (k + 1 >= b) break;
            pos = buf.cbegin() + static_cast<std::ptrdiff_t>(start(k + 1) - from);
        }
        a = b;
    }
    return std::nullopt;
}

} // namespace meru::ui::viewer
