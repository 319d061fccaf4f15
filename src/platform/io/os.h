#pragma once
// Operating-system services: the program's folder, the current folder, paths,
// files, external programs, the browser, the beep and the single-copy lock.
// External programs are started with an argument list, never through a shell,
// and the process environment (PATH included) is never changed.
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace meru::io {

// The folder that holds the running program (from /proc/self/exe, else from
// argv0 made absolute), without a trailing "/". Empty when it cannot be found.
std::string program_folder(std::string_view argv0 = {});

// The current folder, or nothing when it cannot be read.
std::optional<std::string> current_folder();
// Changes the current folder; false when that fails.
bool change_folder(const std::string& folder);

// A path in parts: drive (always empty here), folder with its trailing "/",
// name, and extension with its dot ("" when none). A leading dot of a name
// (".profile") is part of the name.
struct PathParts {
    std::string drive;
    std::string folder;
    std::string name;
    std::string extension;
};
PathParts split_path(std::string_view path);

bool file_exists(const std::string& path);
// Whether something may be at `path`: false only when the system says that no
// file is there. A link that loops or a folder that cannot be searched may hide
// one, so there a caller opens the path and reports why it cannot.
bool may_exist(const std::string& path);
// Deletes a file; false when it did not exist or could not be deleted.
bool delete_file(const std::string& path);
// Renames a file; empty on success, else the system's reason.
std::string rename_file(const std::string& from, const std::string& to);
// Renames a file only while nothing has the new name: a file another program
// gives that name meanwhile is never replaced. 0 on success, else the errno:
// EEXIST when `to` is taken, ENOENT when `from` has gone.
int rename_unreplacing(const std::string& from, const std::string& to);

// The first folder of a copy of PATH that holds an executable `name`; the full
// path, or nothing.
std::optional<std::string> find_on_path(std::string_view name);

// Runs `program` (looked up along PATH when it holds no "/") with the given
// arguments and waits for it. Returns its exit status, or -1 when it could not
// be started (or did not end normally). Without `between` the wait blocks; with
// it, the child is looked at again after every call of `between`, which should
// wait a little while it serves the program's events.
int run_and_wait(const std::string& program, const std::vector<std::string>& args,
                 const std::function<void()>& between = {});

// Opens a web address or a local page in the system's browser through `opener`
// (xdg-open unless given). Returns what run_and_wait returns.
int open_url(const std::string& url, const std::string& opener = "xdg-open",
             const std::function<void()>& between = {});

// The desktop's opener: it hands a file to the program the desktop chooses and
// returns at once, without waiting for that program to end.
inline constexpr std::string_view kOpener = "xdg-open";

// The command that edits a text file: $VISUAL, else $EDITOR (split at blanks),
// else xdg-open. The file name is to be appended as one more argument.
std::vector<std::string> editor_command();

// An audible signal (BEL on standard error); it does not wait.
void beep();

// The process's resident memory in kilobytes (from /proc/self/statm), or nothing
// when the system does not tell it.
std::optional<long> resident_kb();

// Hands back to the system the memory the allocator holds free, in the arenas
// of every thread (the work structures of a search its workers built among
// them): freed memory otherwise stays resident until the allocator reuses it.
void release_free_memory();

// Lets every thread allocate from one arena; called at start, before any
// thread is made. A worker's own arena keeps the free memory at its end
// (up to twice the largest block the allocator has handed back to the
// system) out of release_free_memory()'s reach, so each search on several
// threads could leave more of it resident; in the one arena all of it is
// given back.
void share_one_allocator_arena();

// The machine's physical memory in bytes, or nothing when the system does not tell it.
std::optional<long long> physical_memory_bytes();

// Tells a second running copy of the program: the first copy holds an exclusive
// lock on a lock file (in the program's folder) for as long as it runs.
class InstanceLock {
public:
    InstanceLock() = default;
    ~InstanceLock();
    InstanceLock(const InstanceLock&) = delete;
    InstanceLock& operator=(const InstanceLock&) = delete;

    // True when this copy now holds the lock; false when another copy holds it
    // (or the lock file cannot be opened).
    bool acquire(const std::string& lock_path);
    void release();
    bool held() const { return fd_ >= 0; }

private:
    int fd_ = -1;
};

} // namespace meru::io
