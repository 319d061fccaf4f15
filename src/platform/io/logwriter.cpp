#include "platform/io/logwriter.h"

#include <cerrno>
#include <cstring>
#include <iostream>

#include "platform/io/iostat.h"

namespace meru::io {

LogWriter::~LogWriter() { close(); }

int LogWriter::open_mode(const std::string& path, const char* mode)
{
    close();
    std::FILE* f = std::fopen(path.c_str(), mode);
    if (!f) return kErrOpen;
    // Line-buffered: every line reaches the disk as it is written, so the log on
    // disk is whole however the program ends.
    std::setvbuf(f, nullptr, _IOLBF, BUFSIZ);
    file_ = f;
    path_ = path;
    failure_told_ = false;
    return kOk;
}

int LogWriter::create(const std::string& path) { return open_mode(path, "wb"); }

int LogWriter::append(const std::string& path) { return open_mode(path, "ab"); }

void LogWriter::write(std::string_view line)
{
    const auto end = line.find_last_not_of(' ');
    line = end == std::string_view::npos ? std::string_view{} : line.substr(0, end + 1);
    if (!file_) {
        ++dropped_;
        if (trace_) trace_(line);
        else std::cerr << "[log closed] " << line << '\n';
        return;
    }
    errno = 0;
    if (!line.empty()) std::fwrite(line.data(), 1, line.size(), file_);
    std::fputc('\n', file_);
    check_written(errno);
}

void LogWriter::check_written(int error)
{
    if (!file_ || !std::ferror(file_)) return;
    std::clearerr(file_);
    if (failure_told_) return;
    failure_told_ = true;
    if (failed_) failed_(path_, std::strerror(error != 0 ? error : EIO));
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

void LogWriter::flush()
{
    if (!file_) return;
    errno = 0;
    std::fflush(file_);
    check_written(errno);
}

void LogWriter::close()
{
    if (file_) std::fclose(file_);
    file_ = nullptr;
}

} // namespace meru::io
