#pragma once
// The locks that keep the writers of one file in order, across programs: a writer
// locks the file it replaces from before it reads it until its new copy has been
// renamed over it, and holds a lock on its temporary file for as long as the
// temporary exists, so that a temporary nobody holds is known to be left by a
// write that was killed. The output log is locked the same way for as long as it
// is open, so that another program opening the same analysis leaves it alone.
// The locks are advisory (flock): they bind this program's writers, in one
// process or in several, and go with the process.
#include <string>

namespace meru::io {

// An open file with its lock, released when closed.
class LockedFile {
public:
    LockedFile() = default;
    explicit LockedFile(int fd) : fd_(fd) {}
    ~LockedFile();
    LockedFile(LockedFile&& other) noexcept : fd_(other.fd_) { other.fd_ = -1; }
    LockedFile& operator=(LockedFile&& other) noexcept;
    LockedFile(const LockedFile&) = delete;
    LockedFile& operator=(const LockedFile&) = delete;

    int fd() const { return fd_; }

private:
    int fd_ = -1;
};

// Locks the regular file that `path` names now, waiting while another writer
// holds it. When that writer has meanwhile renamed its new copy over `path`, the
// new file is locked instead, so the lock is always on the file `path` names.
// Nothing is locked (fd -1) when no regular file can be opened there, or the
// file system keeps no locks: the write then goes on unguarded. A live log, whose
// lock is held as long as its analysis is open, is not waited for: fd -1 and
// `live_log` set.
LockedFile lock_present_file(const std::string& path, bool& live_log);

// Marks the file open for writing on `fd` as a live log, for as long as that open
// file lasts, with a record lock that writers which only replace files never take.
void mark_live_log(int fd);

// Makes a new temporary file from `pattern` (ending in "XXXXXX", replaced by
// mkostemp) and locks it. Its fd, with `pattern` now its name, or -1 with errno.
LockedFile make_locked_temporary(std::string& pattern);

// Opens `path` as open(2) does with `flags` (a file made has mode 0666 less the
// umask) and, when it is a regular file, locks it without waiting: fd -1 with
// errno EWOULDBLOCK while another open of the file holds its lock (another
// program's live log). A file system without locks leaves the file unguarded.
LockedFile open_locked(const std::string& path, int flags);

// Renames `from` to `to` as rename_unreplacing does, holding `from`'s lock
// meanwhile: while another program holds it (it is that program's live log)
// nothing is moved and the result is EWOULDBLOCK.
int rename_unheld(const std::string& from, const std::string& to);

// Gives a file just made the mode a new file usually has: 0666 less the umask.
void set_usual_mode(int fd);

// Removes the file `path` when no live writer holds a lock on it (its writer was
// killed). A file that cannot be opened, or whose lock cannot be tested, stays.
void remove_if_unheld(const std::string& path);

} // namespace meru::io
