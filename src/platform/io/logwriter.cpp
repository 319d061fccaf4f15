#include "platform/io/logwriter.h"

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <iostream>
#include <unistd.h>

#include "platform/io/iostat.h"

namespace meru::io {

LogWriter::~LogWriter() { close(); }

int LogWriter::open_mode(const std::string& path, int flags)
{
    close();
    const int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_CLOEXEC | flags, 0666);
    if (fd < 0) return kErrOpen;
    // Appended to, a log whose last line was cut (its disk filled) starts anew.
    char last = '\n';
    if (flags & O_APPEND) {
        const int in = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
        const off_t size = in >= 0 ? ::lseek(in, 0, SEEK_END) : 0;
        if (size > 0 && ::pread(in, &last, 1, size - 1) != 1) last = '\n';
        if (in >= 0) ::close(in);
    }
    // A loss of this log not yet marked in it stays to be marked (and is not told
    // again) when it is opened again for appending; a new log starts clean.
    if (!(flags & O_APPEND) || path != path_) {
        lost_lines_ = lost_bytes_ = 0;
        failure_told_ = false;
    }
    fd_ = fd;
    path_ = path;
    mid_line_ = last != '\n';
    return kOk;
}

int LogWriter::create(const std::string& path) { return open_mode(path, O_TRUNC); }

int LogWriter::append(const std::string& path) { return open_mode(path, O_APPEND); }

std::size_t LogWriter::put(const std::string& bytes)
{
    const std::size_t n = write_fully(writer_, fd_, bytes.data(), bytes.size());
    if (n > 0) mid_line_ = bytes[n - 1] != '\n';
    return n;
}

// Ends a cut line and writes the line that says what was lost; false while that
// cannot be written either.
bool LogWriter::mark_loss()
{
    if (lost_lines_ == 0 && !mid_line_) return true;
    std::string mark = mid_line_ ? "\n" : "";
    if (lost_lines_ > 0)
        mark += "WARNING: output lost here: " + std::to_string(lost_lines_) + " line(s), " +
                std::to_string(lost_bytes_) + " bytes not written to the log (" + lost_reason_ + ")\n";
    if (put(mark) < mark.size()) return false;
    lost_lines_ = lost_bytes_ = 0;
    failure_told_ = false; // a later loss is another, told again
    return true;
}

void LogWriter::lose(std::size_t bytes, int error)
{
    const std::string reason = std::strerror(error != 0 ? error : EIO);
    if (lost_lines_ == 0) lost_reason_ = reason;
    ++lost_lines_;
    lost_bytes_ += static_cast<long long>(bytes);
    if (failure_told_) return;
    failure_told_ = true;
    if (failed_) failed_(path_, reason);
}

void LogWriter::write(std::string_view line)
{
    const auto end = line.find_last_not_of(' ');
    line = end == std::string_view::npos ? std::string_view{} : line.substr(0, end + 1);
    if (fd_ < 0) {
        ++dropped_;
        if (trace_) trace_(line);
        else std::cerr << "[log closed] " << line << '\n';
        return;
    }
    std::string record(line);
    record += '\n';
    errno = 0;
    if (!mark_loss()) {
        lose(record.size(), errno);
        return;
    }
    const std::size_t done = put(record);
    if (done < record.size()) lose(record.size() - done, errno);
}

void LogWriter::write_lines(std::string_view text)
{
    std::size_t i = 0;
    while (i <= text.size()) {
        const auto j = text.find('\n', i);
        if (j == std::string_view::npos) {
            write(text.substr(i));
            return;
        }
        write(text.substr(i, j - i));
        i = j + 1;
        if (i == text.size()) return;
    }
}

// Every line is in the file as soon as it is written; only a loss not yet marked
// is marked now, when there is room again.
void LogWriter::flush()
{
    if (fd_ >= 0 && lost_lines_ > 0) mark_loss();
}

void LogWriter::close()
{
    if (fd_ < 0) return;
    flush();
    ::close(fd_);
    fd_ = -1;
}

} // namespace meru::io
