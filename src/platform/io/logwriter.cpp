#include "platform/io/logwriter.h"

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <iostream>
#include <sys/stat.h>
#include <unistd.h>

#include "platform/io/iostat.h"
#include "platform/io/os.h"
#include "platform/io/safe_files.h"

namespace meru::io {

namespace {

// Test seam: with MERU_LOG_HOLD naming a file, a new log waits, made and locked
// but without its name, until that file exists, so that a test can open the
// same analysis in another program meanwhile.
void hold_unnamed_log()
{
    const char* go = std::getenv("MERU_LOG_HOLD");
    while (go && *go && !file_exists(go)) ::usleep(50000);
}

} // namespace

LogWriter::~LogWriter() { close(); }

int LogWriter::open_mode(const std::string& path, int flags)
{
    close();
    // Truncated only once locked: a live log of another program stays whole.
    LockedFile f = open_locked(path, O_WRONLY | O_CREAT | (flags & O_APPEND));
    struct stat st = {};
    if (f.fd() < 0 || ((flags & O_TRUNC) && ::fstat(f.fd(), &st) == 0 && S_ISREG(st.st_mode) &&
                       ::ftruncate(f.fd(), 0) != 0))
        return kErrOpen;
    take(std::move(f), path, flags & O_APPEND);
    return kOk;
}

void LogWriter::take(LockedFile file, const std::string& path, bool appending)
{
    // Appended to, a log whose last line was cut (its disk filled) starts anew.
    char last = '\n';
    if (appending) {
        const int in = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
        const off_t size = in >= 0 ? ::lseek(in, 0, SEEK_END) : 0;
        if (size > 0 && ::pread(in, &last, 1, size - 1) != 1) last = '\n';
        if (in >= 0) ::close(in);
    }
    // A loss of this log not yet marked in it stays to be marked (and is not told
    // again) when it is opened again for appending; a new log starts clean.
    if (!appending || path != path_) {
        lost_lines_ = lost_bytes_ = 0;
        failure_told_ = false;
    }
    mark_live_log(file.fd());
    file_ = std::move(file);
    path_ = path;
    mid_line_ = last != '\n';
}

int LogWriter::create(const std::string& path) { return open_mode(path, O_TRUNC); }

int LogWriter::create_new(const std::string& path)
{
    close();
    remove_stale_temporaries(path);
    std::string made = path + std::string(kTempMark) + "XXXXXX";
    LockedFile f = make_locked_temporary(made);
    if (f.fd() < 0) return kErrOpen;
    set_usual_mode(f.fd());
    hold_unnamed_log();
    if (const int err = rename_unreplacing(made, path); err != 0) {
        ::unlink(made.c_str());
        errno = err;
        return kErrOpen;
    }
    take(std::move(f), path, false);
    return kOk;
}

int LogWriter::append(const std::string& path) { return open_mode(path, O_APPEND); }

std::size_t LogWriter::put(const std::string& bytes)
{
    const std::size_t n = write_fully(writer_, file_.fd(), bytes.data(), bytes.size());
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
    if (!is_open()) {
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
    if (is_open() && lost_lines_ > 0) mark_loss();
}

void LogWriter::close()
{
    if (!is_open()) return;
    flush();
    file_ = LockedFile();
}

} // namespace meru::io
