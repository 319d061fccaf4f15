#include "platform/io/safe_files.h"

#include "platform/io/write_locks.h"

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace meru::io {

namespace {

std::string reason(int err) { return std::strerror(err); }

std::string folder_of(const std::string& path)
{
    const auto slash = path.find_last_of('/');
    if (slash == std::string::npos) return ".";
    return slash == 0 ? "/" : path.substr(0, slash);
}

std::string base_of(const std::string& path)
{
    const auto slash = path.find_last_of('/');
    return slash == std::string::npos ? path : path.substr(slash + 1);
}

// The file a write of `given` replaces: `given` itself, or the file its symbolic
// link names. A link that loops, or names no file, is refused with the reason:
// replacing it would lose the user's link, and writing through a link to nothing
// would make a file somewhere the user may not expect. So is anything but a
// regular file (a device, a pipe, a folder), which the new file would replace.
std::string write_target(const std::string& given, std::string& path)
{
    path = given;
    struct stat st = {};
    if (::lstat(given.c_str(), &st) != 0) return {}; // a new file, or a fault the write names
    if (S_ISLNK(st.st_mode)) {
        char* real = ::realpath(given.c_str(), nullptr);
        if (!real) return errno == ENOENT ? "symbolic link to a missing file" : reason(errno);
        path = real;
        std::free(real);
        if (::stat(path.c_str(), &st) != 0) return reason(errno);
    }
    if (S_ISDIR(st.st_mode)) return reason(EISDIR);
    return S_ISREG(st.st_mode) ? std::string() : "not a regular file";
}

// Removes the temporaries of `path` (the file itself, not a link) that writes
// which were killed left behind; those of live writers stay.
void remove_unheld_temporaries(const std::string& path)
{
    const std::string prefix = base_of(path) + std::string(kTempMark);
    DIR* dir = ::opendir(folder_of(path).c_str());
    if (!dir) return;
    std::vector<std::string> stale;
    while (const dirent* e = ::readdir(dir)) {
        const std::string name = e->d_name;
        if (name.size() == prefix.size() + 6 && name.compare(0, prefix.size(), prefix) == 0) stale.push_back(name);
    }
    ::closedir(dir);
    const std::string folder = folder_of(path) + "/";
    for (const std::string& name : stale) remove_if_unheld(folder + name);
}

// Writes what `make` makes to a temporary file beside `given` and renames it over
// the file when whole, holding the file's lock from before `make` runs until
// after the rename. `make` is given the path written and returns a reason to
// stop, empty to go on.
std::string write_locked(const std::string& given,
                         const std::function<std::string(const std::string&, std::string&)>& make,
                         const WriteFn& write)
{
    std::string path;
    if (std::string why = write_target(given, path); !why.empty()) return why;
    bool live_log = false;
    const LockedFile present = lock_present_file(path, live_log);
    if (live_log) return "is the output log of an open analysis";
    remove_unheld_temporaries(path);
    std::string text;
    if (std::string why = make(path, text); !why.empty()) return why;
    std::string tmp = path + std::string(kTempMark) + "XXXXXX";
    const LockedFile temporary = make_locked_temporary(tmp);
    const int fd = temporary.fd();
    if (fd < 0) return reason(errno);
    // The new file takes the old one's permissions, or the usual ones for a new file.
    struct stat st = {};
    if (::stat(path.c_str(), &st) == 0) ::fchmod(fd, st.st_mode & 07777);
    else set_usual_mode(fd);
    // The temporary keeps its lock until it has its new name, so that no other
    // writer takes it for a stale one.
    if (write_fully(write, fd, text.data(), text.size()) < text.size() || ::fsync(fd) != 0 ||
        ::rename(tmp.c_str(), path.c_str()) != 0) {
        const int err = errno;
        ::unlink(tmp.c_str());
        return reason(err);
    }
    return {};
}

// Opens a regular file for reading; -1 with `why` set otherwise.
int open_regular(const std::string& path, std::string& why)
{
    const int fd = ::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0) {
        why = reason(errno);
        return -1;
    }
    struct stat st = {};
    if (::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode)) {
        why = S_ISDIR(st.st_mode) ? "is a folder" : "not a regular file";
        ::close(fd);
        return -1;
    }
    return fd;
}

// Reads a regular file block by block while `take` asks for more.
std::string read_blocks(const std::string& path, const std::function<bool(std::string_view)>& take)
{
    std::string why;
    const int fd = open_regular(path, why);
    if (fd < 0) return why;
    std::vector<char> buf(std::size_t{1} << 20);
    for (;;) {
        const ssize_t n = ::read(fd, buf.data(), buf.size());
        if (n == 0) break;
        if (n < 0) {
            if (errno == EINTR) continue;
            const int err = errno;
            ::close(fd);
            return reason(err);
        }
        if (!take(std::string_view(buf.data(), static_cast<std::size_t>(n)))) break;
    }
    ::close(fd);
    return {};
}

} // namespace

std::string replace_contents(const std::string& path, std::string_view text, const WriteFn& write)
{
    return write_locked(
        path,
        [text](const std::string&, std::string& out) {
            out = text;
            return std::string();
        },
        write);
}

std::string update_contents(const std::string& path, const std::function<std::string(std::string&)>& change,
                            const WriteFn& write)
{
    return write_locked(
        path,
        [&change](const std::string& target, std::string& text) {
            if (std::string why = read_regular_file(target, text); !why.empty()) return why;
            return change(text);
        },
        write);
}

void remove_stale_temporaries(const std::string& path)
{
    std::string target;
    if (write_target(path, target).empty()) remove_unheld_temporaries(target);
}

std::string write_replacing(const std::string& path, const std::vector<std::string>& lines)
{
    std::string text;
    for (const auto& l : lines) text += l + '\n';
    return replace_contents(path, text);
}

std::string can_write(const std::string& path)
{
    struct stat st = {};
    if (::stat(path.c_str(), &st) == 0) {
        if (S_ISDIR(st.st_mode)) return "is a folder";
        const int fd = ::open(path.c_str(), O_WRONLY | O_APPEND | O_NONBLOCK | O_CLOEXEC);
        if (fd >= 0) {
            ::close(fd);
            return {};
        }
        // Gone meanwhile (another program kept it as an earlier log): made anew.
        if (errno != ENOENT) return reason(errno);
    } else if (errno != ENOENT) {
        return reason(errno); // a link that loops, a folder that cannot be searched
    }
    if (::access(folder_of(path).c_str(), W_OK | X_OK) != 0) return reason(errno);
    return {};
}

std::string not_text_reason(const std::string& path)
{
    std::string why;
    const int fd = open_regular(path, why);
    if (fd < 0) return why;
    char buf[4096];
    ssize_t n = 0;
    do n = ::read(fd, buf, sizeof buf);
    while (n < 0 && errno == EINTR);
    const int err = errno;
    ::close(fd);
    if (n < 0) return reason(err);
    int control = 0;
    for (ssize_t i = 0; i < n; ++i) {
        const unsigned char c = static_cast<unsigned char>(buf[i]);
        if (c == 0) return "holds NUL bytes, not text";
        if ((c < 32 && c != '\t' && c != '\n' && c != '\r' && c != '\f') || c == 127) ++control;
    }
    if (control * 20 > n) return "not a text file";
    return {};
}

std::string read_file_blocks(const std::string& path, const std::function<void(std::string_view)>& take)
{
    return read_blocks(path, [&](std::string_view block) {
        take(block);
        return true;
    });
}

std::string read_regular_file(const std::string& path, std::string& text, std::size_t most)
{
    text.clear();
    return read_blocks(path, [&](std::string_view block) {
        text.append(block.substr(0, most - text.size()));
        return text.size() < most;
    });
}

} // namespace meru::io
