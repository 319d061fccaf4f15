#include "platform/io/os.h"

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <fcntl.h>
#include <filesystem>
#include <fstream>
#include <spawn.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#if defined(__GLIBC__)
#include <malloc.h>
#endif

extern char** environ;

namespace meru::io {

namespace fs = std::filesystem;

std::string program_folder(std::string_view argv0)
{
    std::error_code ec;
    fs::path exe = fs::read_symlink("/proc/self/exe", ec);
    if (ec || exe.empty()) {
        if (argv0.empty()) return {};
        exe = fs::absolute(fs::path(argv0), ec);
        if (ec) return {};
    }
    std::string folder = exe.parent_path().string();
    while (folder.size() > 1 && folder.back() == '/') folder.pop_back();
    return folder;
}

std::optional<std::string> current_folder()
{
    std::error_code ec;
    const fs::path p = fs::current_path(ec);
    if (ec) return std::nullopt;
    return p.string();
}

bool change_folder(const std::string& folder)
{
    if (folder.empty()) return false;
    return ::chdir(folder.c_str()) == 0;
}

PathParts split_path(std::string_view path)
{
    PathParts parts;
    const auto slash = path.find_last_of('/');
    std::string_view file = path;
    if (slash != std::string_view::npos) {
        parts.folder = std::string(path.substr(0, slash + 1));
        file = path.substr(slash + 1);
    }
    const auto dot = file.find_last_of('.');
    if (dot != std::string_view::npos && dot > 0) {
        parts.name = std::string(file.substr(0, dot));
        parts.extension = std::string(file.substr(dot));
    } else {
        parts.name = std::string(file);
    }
    return parts;
}

bool file_exists(const std::string& path)
{
    std::error_code ec;
    return !path.empty() && fs::exists(path, ec);
}

bool may_exist(const std::string& path)
{
    struct stat st = {};
    return !path.empty() && (::stat(path.c_str(), &st) == 0 || (errno != ENOENT && errno != ENOTDIR));
}

bool delete_file(const std::string& path)
{
    std::error_code ec;
    return fs::remove(path, ec);
}

std::string rename_file(const std::string& from, const std::string& to)
{
    std::error_code ec;
    fs::rename(from, to, ec);
    return ec ? ec.message() : std::string();
}

int rename_unreplacing(const std::string& from, const std::string& to)
{
#ifdef RENAME_NOREPLACE
    // Test seam: with MERU_RENAME_FALLBACK set, the way of a file system without it.
    if (!std::getenv("MERU_RENAME_FALLBACK")) {
        if (::renameat2(AT_FDCWD, from.c_str(), AT_FDCWD, to.c_str(), RENAME_NOREPLACE) == 0) return 0;
        if (errno != EINVAL && errno != ENOSYS) return errno;
    }
#endif
    // A file system without that rename: the new name made as a link, which
    // fails when taken, then the old name removed while it still names the same
    // file (when another program has moved it meanwhile, the link goes again).
    if (::link(from.c_str(), to.c_str()) != 0) return errno;
    struct stat old_name = {}, new_name = {};
    const bool same = ::lstat(from.c_str(), &old_name) == 0 && ::lstat(to.c_str(), &new_name) == 0 &&
                      old_name.st_ino == new_name.st_ino && old_name.st_dev == new_name.st_dev;
    const int err = !same ? ENOENT : ::unlink(from.c_str()) == 0 ? 0 : errno;
    if (err != 0) ::unlink(to.c_str());
    return err;
}

std::optional<std::string> find_on_path(std::string_view name)
{
    if (name.empty()) return std::nullopt;
    const char* env = std::getenv("PATH");
    const std::string path = env ? env : "";
    std::size_t i = 0;
    while (i <= path.size()) {
        auto j = path.find(':', i);
        if (j == std::string::npos) j = path.size();
        std::string dir = path.substr(i, j - i);
        if (dir.empty()) dir = ".";
        const std::string cand = dir + "/" + std::string(name);
        if (::access(cand.c_str(), X_OK) == 0 && !fs::is_directory(cand)) return cand;
        i = j + 1;
    }
    return std::nullopt;
}

int run_and_wait(const std::string& program, const std::vector<std::string>& args,
                 const std::function<void()>& between)
{
    if (program.empty()) return -1;
    std::vector<std::string> owned;
    owned.reserve(args.size() + 1);
    owned.push_back(program);
    owned.insert(owned.end(), args.begin(), args.end());
    std::vector<char*> argv;
    argv.reserve(owned.size() + 1);
    for (auto& a : owned) argv.push_back(a.data());
    argv.push_back(nullptr);

    pid_t pid = 0;
    // posix_spawnp looks the program up along PATH as it stands; no shell.
    if (::posix_spawnp(&pid, program.c_str(), nullptr, nullptr, argv.data(), environ) != 0) return -1;
    int status = 0;
    for (;;) {
        const pid_t got = ::waitpid(pid, &status, between ? WNOHANG : 0);
        if (got == pid) break;
        if (got < 0 && errno != EINTR) return -1;
        if (got == 0) between();
    }
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

int open_url(const std::string& url, const std::string& opener, const std::function<void()>& between)
{
    return run_and_wait(opener, {url}, between);
}

std::vector<std::string> editor_command()
{
    for (const char* var : {"VISUAL", "EDITOR"}) {
        const char* v = std::getenv(var);
        if (!v) continue;
        std::vector<std::string> words;
        std::string w;
        for (const char* p = v; *p; ++p) {
            if (*p == ' ' || *p == '\t') {
                if (!w.empty()) words.push_back(std::move(w));
                w.clear();
            } else {
                w.push_back(*p);
            }
        }
        if (!w.empty()) words.push_back(std::move(w));
        if (!words.empty()) return words;
    }
    return {std::string(kOpener)};
}

std::optional<long> resident_kb()
{
    // statm: total program size, then resident pages.
    std::ifstream statm("/proc/self/statm");
    long size = 0;
    long resident = 0;
    if (!(statm >> size >> resident)) return std::nullopt;
    const long page = sysconf(_SC_PAGESIZE);
    if (page <= 0) return std::nullopt;
    return resident * (page / 1024);
}

void release_free_memory()
{
#if defined(__GLIBC__)
    malloc_trim(0);
#endif
}

void share_one_allocator_arena()
{
#if defined(__GLIBC__)
    mallopt(M_ARENA_MAX, 1);
#endif
}

std::optional<long long> physical_memory_bytes()
{
    const long pages = sysconf(_SC_PHYS_PAGES);
    const long page = sysconf(_SC_PAGESIZE);
    if (pages <= 0 || page <= 0) return std::nullopt;
    return static_cast<long long>(pages) * page;
}

void beep()
{
    std::fputc('\a', stderr);
    std::fflush(stderr);
}

InstanceLock::~InstanceLock() { release(); }

bool InstanceLock::acquire(const std::string& lock_path)
{
    if (fd_ >= 0) return true;
    const int fd = ::open(lock_path.c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0644);
    if (fd < 0) return false;
    if (::flock(fd, LOCK_EX | LOCK_NB) != 0) {
        ::close(fd);
        return false;
    }
    fd_ = fd;
    return true;
}

void InstanceLock::release()
{
    if (fd_ >= 0) {
        ::flock(fd_, LOCK_UN);
        ::close(fd_);
    }
    fd_ = -1;
}

} // namespace meru::io
