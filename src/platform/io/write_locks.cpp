#include "platform/io/write_locks.h"

#include "platform/io/os.h"

#include <cerrno>
#include <cstdlib>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

namespace meru::io {

namespace {

// flock, again after an interruption.
int lock(int fd, int how)
{
    int r = 0;
    do r = ::flock(fd, how);
    while (r != 0 && errno == EINTR);
    return r;
}

// Whether `path` still names the file open on `fd` (no one has renamed another
// file over it or removed it since it was opened).
bool still_named(int fd, const std::string& path)
{
    struct stat held = {}, named = {};
    return ::fstat(fd, &held) == 0 && ::lstat(path.c_str(), &named) == 0 && held.st_dev == named.st_dev &&
           held.st_ino == named.st_ino;
}

// A record lock over the whole file, of `type`, for fcntl.
struct flock whole_file(short type)
{
    struct flock l = {};
    l.l_type = type;
    l.l_whence = SEEK_SET;
    return l;
}

// Whether the file open on `fd` carries a live log's mark.
bool marked_live(int fd)
{
    struct flock probe = whole_file(F_RDLCK);
    return ::fcntl(fd, F_OFD_GETLK, &probe) == 0 && probe.l_type != F_UNLCK;
}

} // namespace

LockedFile::~LockedFile()
{
    if (fd_ >= 0) ::close(fd_);
}

LockedFile& LockedFile::operator=(LockedFile&& other) noexcept
{
    if (this != &other) {
        if (fd_ >= 0) ::close(fd_);
        fd_ = other.fd_;
        other.fd_ = -1;
    }
    return *this;
}

LockedFile lock_present_file(const std::string& path, bool& live_log)
{
    live_log = false;
    for (;;) {
        LockedFile f(::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC));
        struct stat st = {};
        if (f.fd() < 0 || ::fstat(f.fd(), &st) != 0 || !S_ISREG(st.st_mode)) return {};
        if (marked_live(f.fd())) {
            live_log = true;
            return {};
        }
        if (lock(f.fd(), LOCK_EX) != 0) return {};
        if (still_named(f.fd(), path)) return f;
        // The writer this one waited for replaced the file: lock the new one.
    }
}

LockedFile make_locked_temporary(std::string& pattern)
{
    const std::string given = pattern;
    for (;;) {
        pattern = given;
        LockedFile f(::mkostemp(pattern.data(), O_CLOEXEC));
        if (f.fd() < 0) return f;
        // A file system without locks leaves the temporary unguarded.
        if (lock(f.fd(), LOCK_EX) != 0) return f;
        // Between its making and its lock another writer may have taken it for
        // one left by a killed write, and removed it: make another.
        if (still_named(f.fd(), pattern)) return f;
    }
}

LockedFile open_locked(const std::string& path, int flags)
{
    LockedFile f(::open(path.c_str(), flags | O_CLOEXEC, 0666));
    struct stat st = {};
    if (f.fd() < 0 || ::fstat(f.fd(), &st) != 0 || !S_ISREG(st.st_mode)) return f;
    if (lock(f.fd(), LOCK_EX | LOCK_NB) != 0 && errno == EWOULDBLOCK) {
        f = LockedFile();
        errno = EWOULDBLOCK;
    }
    return f;
}

int rename_unheld(const std::string& from, const std::string& to)
{
    for (;;) {
        const LockedFile held = open_locked(from, O_RDONLY | O_NONBLOCK | O_NOFOLLOW);
        if (held.fd() < 0 && errno == EWOULDBLOCK) return EWOULDBLOCK;
        // Another program moved it between its opening and its lock: look again.
        if (held.fd() >= 0 && !still_named(held.fd(), from)) continue;
        return rename_unreplacing(from, to);
    }
}

void mark_live_log(int fd)
{
    struct flock mark = whole_file(F_WRLCK);
    ::fcntl(fd, F_OFD_SETLK, &mark);
}

void set_usual_mode(int fd)
{
    const mode_t mask = ::umask(0);
    ::umask(mask);
    ::fchmod(fd, 0666 & ~mask);
}

void remove_if_unheld(const std::string& path)
{
    const LockedFile f(::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_NOFOLLOW | O_CLOEXEC));
    if (f.fd() < 0 || lock(f.fd(), LOCK_EX | LOCK_NB) != 0) return;
    // Removed while locked: a writer that has just made it waits for the lock,
    // then finds its name gone and makes another.
    if (still_named(f.fd(), path)) ::unlink(path.c_str());
}

} // namespace meru::io
