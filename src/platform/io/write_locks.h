#pragma once
// The locks that keep the writers of one file in order, across programs: a writer
// locks the file it replaces from before it reads it until its new copy has been
// renamed over it, and holds a lock on its temporary file for as long as the
// temporary exists, so that a temporary nobody holds is known to be left by a
// write that was killed. The locks are advisory (flock): they bind this program's
// writers, in one process or in several.
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
// file system keeps no locks: the write then goes on unguarded.
LockedFile lock_present_file(const std::string& path);

// Makes a new temporary file from `pattern` (ending in "XXXXXX", replaced by
// mkostemp) and locks it. Its fd, with `pattern` now its name, or -1 with errno.
LockedFile make_locked_temporary(std::string& pattern);

// Removes the file `path` when no live writer holds a lock on it (its writer was
// killed). A file that cannot be opened, or whose lock cannot be tested, stays.
void remove_if_unheld(const std::string& path);

} // namespace meru::io
