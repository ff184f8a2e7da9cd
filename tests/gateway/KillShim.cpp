// corvane_kill_shim: preloaded into corvane-gateway with LD_PRELOAD, it
// kills the process with SIGKILL at a chosen point of writing a file in one
// folder, the way a crash or a kill -9 would, so that a test can look at
// what is left on disk. Nothing in the gateway knows about it.
//
//   CORVANE_KILL_DIR    the folder watched (its files, not the folder itself)
//   CORVANE_KILL_AT     write    after half the bytes of a write to a file there
//                       sync     before an fsync of a file there
//                       rename   before a rename of a file there
//                       renamed  right after that rename, before anything else
//   CORVANE_KILL_AFTER  how many renames there to let through first (0)
//
// Before it kills it prints "kill-shim: SIGKILL at <point>: <detail>" on
// stderr, so the test can tell the kill came where it was meant to.
#include <dlfcn.h>
#include <fcntl.h>
#include <unistd.h>

#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

namespace {

template <typename F>
F Next(const char* name) {
    return reinterpret_cast<F>(::dlsym(RTLD_NEXT, name));
}

using WriteFn = ssize_t (*)(int, const void*, size_t);
using FsyncFn = int (*)(int);
using RenameFn = int (*)(const char*, const char*);
using RenameatFn = int (*)(int, const char*, int, const char*);

struct Settings {
    std::string dir;  // with a trailing '/'
    std::string at;
    long nAfter = 0;
};

const Settings& Armed() {
    static const Settings s = [] {
        Settings r;
        const char* dir = std::getenv("CORVANE_KILL_DIR");
        const char* at = std::getenv("CORVANE_KILL_AT");
        const char* after = std::getenv("CORVANE_KILL_AFTER");
        if (dir && *dir && at) {
            r.dir = std::string(dir) + '/';
            r.at = at;
            r.nAfter = after ? std::strtol(after, nullptr, 10) : 0;
        }
        return r;
    }();
    return s;
}

// Renames in the folder seen so far; the shim fires only once these reach
// CORVANE_KILL_AFTER, so earlier saves complete.
long g_nRenames = 0;

bool Fires(const char* point) {
    const Settings& s = Armed();
    return !s.dir.empty() && s.at == point && g_nRenames >= s.nAfter;
}

bool InDir(const char* path) {
    const Settings& s = Armed();
    return path && std::strncmp(path, s.dir.c_str(), s.dir.size()) == 0;
}

// The path fd was opened under, empty when it has none.
std::string FdPath(int fd) {
    char link[64];
    char target[4096];
    std::snprintf(link, sizeof link, "/proc/self/fd/%d", fd);
    const ssize_t n = ::readlink(link, target, sizeof target - 1);
    return n > 0 ? std::string(target, static_cast<size_t>(n)) : std::string();
}

[[noreturn]] void Die(const char* point, const std::string& detail) {
    char line[4608];
    const int n = std::snprintf(line, sizeof line, "kill-shim: SIGKILL at %s: %s\n", point, detail.c_str());
    if (n > 0)
        Next<WriteFn>("write")(2, line,
                               static_cast<size_t>(n) < sizeof line ? static_cast<size_t>(n) : sizeof line - 1);
    std::raise(SIGKILL);
    std::abort();  // not reached
}

void AfterRename(const char* from, int result) {
    if (result != 0 || !InDir(from)) return;
    if (Fires("renamed")) Die("renamed", from);
    ++g_nRenames;
}

}  // namespace

extern "C" {

ssize_t write(int fd, const void* buf, size_t count) {
    static const WriteFn real = Next<WriteFn>("write");
    if (Fires("write") && count >= 2) {
        const std::string path = FdPath(fd);
        if (InDir(path.c_str())) {
            const ssize_t n = real(fd, buf, count / 2);
            Die("write", std::to_string(n) + " of " + std::to_string(count) + " bytes of " + path);
        }
    }
    return real(fd, buf, count);
}

int fsync(int fd) {
    static const FsyncFn real = Next<FsyncFn>("fsync");
    if (Fires("sync")) {
        const std::string path = FdPath(fd);
        if (InDir(path.c_str())) Die("sync", path);
    }
    return real(fd);
}

int rename(const char* from, const char* to) {
    static const RenameFn real = Next<RenameFn>("rename");
    if (InDir(from) && Fires("rename")) Die("rename", from);
    const int result = real(from, to);
    AfterRename(from, result);
    return result;
}

int renameat(int fromDir, const char* from, int toDir, const char* to) {
    static const RenameatFn real = Next<RenameatFn>("renameat");
    const bool bWatched = fromDir == AT_FDCWD && InDir(from);
    if (bWatched && Fires("rename")) Die("rename", from);
    const int result = real(fromDir, from, toDir, to);
    if (bWatched) AfterRename(from, result);
    return result;
}

}  // extern "C"
