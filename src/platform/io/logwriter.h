#pragma once
// The output log (unit 7) as one writer object. Lines are written as text records
// ending in a line feed, with trailing blanks dropped; each line goes to the file
// as it is written (one write per line, no buffer), so a reader, a message box's
// "View log" or a kill never finds the log short or cut in a line. A write while
// no log is open never creates a file: the line goes to the trace sink instead
// (standard error unless replaced). Readers of the log (the viewer) open the file
// with a reader of their own after flush().
//
// A line that cannot be written whole (a full disk) is counted as lost. The next
// line that can be written first ends any cut line and then says how much was
// lost: "WARNING: output lost here: N line(s), B bytes not written to the log
// (REASON)". A log opened for appending whose last line is cut starts on a new line,
// and a loss of the same log not yet marked is marked there.
//
// While open, the log holds its file's lock (write_locks.h): another program
// never opens, replaces or moves a live log, and the lock goes when the log is
// closed or the program ends in any way.
#include "platform/io/write_fn.h"
#include "platform/io/write_locks.h"

#include <functional>
#include <string>
#include <string_view>

namespace meru::io {

class LogWriter {
public:
    using TraceSink = std::function<void(std::string_view line)>;
    // Told of the first line of a log that could not be written (a full disk, a
    // removed folder): the log's path and the system's reason. The lines lost
    // after it are not told, until the loss is marked in the log: a loss after
    // that is told again. Closing the log (as at exit) tries once more to mark it.
    using FailureSink = std::function<void(const std::string& path, const std::string& reason)>;

    LogWriter() = default;
    ~LogWriter();
    LogWriter(const LogWriter&) = delete;
    LogWriter& operator=(const LogWriter&) = delete;

    // Creates the log anew (an existing file is replaced). Returns an iostat.
    int create(const std::string& path);
    // Creates the log under `path` only while no file has that name: it is made
    // and locked under a temporary name and then given `path` without replacing
    // anything. Returns an iostat; errno is EEXIST when the name is taken.
    int create_new(const std::string& path);
    // Opens the log for appending (created when missing). Returns an iostat.
    // It and create fail, with errno EWOULDBLOCK, on a log another program holds.
    int append(const std::string& path);
    // Writes one line (a record). Dropped to the trace sink while closed.
    void write(std::string_view line);
    // Writes each record of text that holds several lines separated by "\n".
    void write_lines(std::string_view text);
    void flush();
    void close();

    bool is_open() const { return file_.fd() >= 0; }
    const std::string& path() const { return path_; }
    // Lines written while no log was open.
    long long dropped() const { return dropped_; }
    void set_trace_sink(TraceSink sink) { trace_ = std::move(sink); }
    void set_failure_sink(FailureSink sink) { failed_ = std::move(sink); }
    // Test seam: the writer of the log's bytes (::write when empty).
    void set_writer(WriteFn writer) { writer_ = std::move(writer); }

private:
    int open_mode(const std::string& path, int flags);
    void take(LockedFile file, const std::string& path, bool appending);
    std::size_t put(const std::string& bytes);
    bool mark_loss();
    void lose(std::size_t bytes, int error);

    LockedFile file_;
    WriteFn writer_;
    bool mid_line_ = false;    // the file ends inside a line
    long long lost_lines_ = 0; // lines not written whole since the last mark
    long long lost_bytes_ = 0; // their bytes not written
    std::string lost_reason_;  // why the first of them was not
    std::string path_;
    long long dropped_ = 0;
    TraceSink trace_;
    FailureSink failed_;
    bool failure_told_ = false;
};

} // namespace meru::io
