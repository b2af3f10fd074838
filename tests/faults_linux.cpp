// Linked into tst_faults and exported, so that Qt's calls under QSaveFile find these before the C
// library's, as the tool's own calls do: each asks whether a planted failure falls on it, and
// otherwise makes the real call. A crash is a child process ended at the call.

#include "faults.h"

#include <cerrno>
#include <cstdarg>
#include <dlfcn.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

namespace
{

template <typename Function> Function next(const char *name)
{
    return reinterpret_cast<Function>(dlsym(RTLD_NEXT, name));
}

template <typename Real, typename... Args> int failing(const char *name, Real real, Args... args)
{
    if (const int error = faults::at(name)) {
        errno = error;
        return -1;
    }
    return real(args...);
}

} // namespace

#define PASSED_ON(name, params, ...)                                                               \
    extern "C" int name params                                                                     \
    {                                                                                              \
        static const auto real = next<decltype(&::name)>(#name);                                   \
        return failing(#name, real, __VA_ARGS__);                                                  \
    }
// A failed sync has lost what was written since the last one that succeeded, as on a file system
// that reports a lost write only then: half of the file, here. An interrupted one has lost nothing.
int synced(const char *name, int fd)
{
    const auto real = next<int (*)(int)>(name);
    const int error = faults::at(name);
    if (!error)
        return real(fd) == 0 && (faults::g_state.synced = true) ? 0 : -1;
    struct stat file;
    if (error != EINTR && !faults::g_state.synced && fstat(fd, &file) == 0)
        ftruncate(fd, file.st_size / 2);
    errno = error;
    return -1;
}
extern "C" int fsync(int fd)
{
    return synced("fsync", fd);
}
extern "C" int fdatasync(int fd)
{
    return synced("fdatasync", fd);
}
PASSED_ON(fchown, (int fd, uid_t owner, gid_t group), fd, owner, group)
PASSED_ON(link, (const char *from, const char *to), from, to)
PASSED_ON(linkat, (int fromDir, const char *from, int toDir, const char *to, int flags), fromDir,
          from, toDir, to, flags)
PASSED_ON(rename, (const char *from, const char *to), from, to)
PASSED_ON(renameat2, (int fromDir, const char *from, int toDir, const char *to, unsigned flags),
          fromDir, from, toDir, to, flags)
PASSED_ON(unlink, (const char *path), path)

extern "C" int open64(const char *path, int flags, ...)
{
    va_list more;
    va_start(more, flags);
    const mode_t mode =
        (flags & O_CREAT) || (flags & O_TMPFILE) == O_TMPFILE ? va_arg(more, mode_t) : 0;
    va_end(more);
    static const auto real = next<int (*)(const char *, int, ...)>("open64");
    return failing("open", real, path, flags, mode);
}

// A failed close still closes, as Linux documents it.
extern "C" int close(int fd)
{
    static const auto real = next<decltype(&::close)>("close");
    const int error = faults::at("close");
    const int closed = real(fd);
    if (error)
        errno = error;
    return error ? -1 : closed;
}

extern "C" ssize_t write(int fd, const void *bytes, size_t size)
{
    static const auto real = next<decltype(&::write)>("write");
    const int error = faults::at("write");
    if (error == faults::kShortWrite)
        return real(fd, bytes, size > 1 ? size / 2 : size);
    if (error)
        errno = error;
    return error ? -1 : real(fd, bytes, size);
}

namespace faults
{

const int kHeldError = -2; // Linux refuses no replace for another program's open file
const char *kRemoval = "unlink";

void install() {}

std::vector<int> failuresOf(const std::string &call)
{
    std::vector<int> failures{EACCES, EPERM, ENOSPC, EDQUOT, EIO, EROFS, EINTR};
    if (call == "write")
        failures.push_back(kShortWrite);
    return failures;
}

// A short write, and a signal's interruption where the call's manual page lists it: the call is
// made again.
bool waitedOut(const std::string &call, int error)
{
    const bool interruptible = call == "open" || call == "write" || call == "fsync" ||
                               call == "fdatasync" || call == "close";
    return error == kShortWrite || (error == EINTR && interruptible);
}

quorlex::Text systemWords(int error)
{
    const char *words = error > 0 ? std::strerror(error) : "";
    return quorlex::Text(words, words + std::strlen(words));
}

void crash()
{
    _exit(99);
}

void pressEndingAt(int call, const std::filesystem::path &folder)
{
    const pid_t child = fork();
    if (child == 0) {
        std::vector<std::string> calls;
        g_state = {true, {call, 0, 0, true}, &calls, nullptr, 0};
        press(folder);
        _exit(0);
    }
    int status = 0;
    waitpid(child, &status, 0);
}

} // namespace faults
