#pragma once
// The output log (unit 7) as one writer object. Lines are written as text records
// ending in a line feed, with trailing blanks dropped; each line is on disk as
// soon as it is written (line buffering), so a reader, a message box's "View log"
// or a kill never finds the log short or cut in a line. A write while no log is
// open never creates a file: the line goes to the trace sink instead (standard
// error unless replaced). Readers of the log (the viewer) open the file with a
// reader of their own after flush().
#include <cstdio>
#include <functional>
#include <string>
#include <string_view>

namespace meru::io {

class LogWriter {
public:
    using TraceSink = std::function<void(std::string_view line)>;
    // Told of the first line of an open log that could not be written (a full
    // disk, a removed folder): the log's path and the system's reason. Later
    // failures of the same log are not told again.
    using FailureSink = std::function<void(const std::string& path, const std::string& reason)>;

    LogWriter() = default;
    ~LogWriter();
    LogWriter(const LogWriter&) = delete;
    LogWriter& operator=(const LogWriter&) = delete;

    // Creates the log anew (an existing file is replaced). Returns an iostat.
    int create(const std::string& path);
    // Opens the log for appending (created when missing). Returns an iostat.
    int append(const std::string& path);
    // Writes one line (a record). Dropped to the trace sink while closed.
    void write(std::string_view line);
    // Writes each record of text that holds several lines separated by "\n".
    void write_lines(std::string_view text);
    void flush();
    void close();

    bool is_open() const { return file_ != nullptr; }
    const std::string& path() const { return path_; }
    // Lines written while no log was open.
    long long dropped() const { return dropped_; }
    void set_trace_sink(TraceSink sink) { trace_ = std::move(sink); }
    void set_failure_sink(FailureSink sink) { failed_ = std::move(sink); }

private:
    int open_mode(const std::string& path, const char* mode);
    void check_written(int error);

    std::FILE* file_ = nullptr;
    std::string path_;
    long long dropped_ = 0;
    TraceSink trace_;
    FailureSink failed_;
    bool failure_told_ = false;
};

} // namespace meru::io
