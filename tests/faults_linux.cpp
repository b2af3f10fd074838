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

// The call failed with the planted error (errno and -1), or else made for real, once what comes
// last has had its say.
#define WRAPPED(type, name, params, args, ...)                                                     \
    extern "C" type name params                                                                    \
    {                                                                                              \
        static const auto real = reinterpret_cast<decltype(&name)>(dlsym(RTLD_NEXT, #name));       \
        const int error = faults::at(#name);                                                       \
        __VA_ARGS__;                                                                               \
        return error ? (errno = error, -1) : real args;                                            \
    }
WRAPPED(int, fchown, (int fd, uid_t owner, gid_t group), (fd, owner, group), )
WRAPPED(int, linkat, (int fromDir, const char *from, int toDir, const char *to, int flags),
        (fromDir, from, toDir, to, flags), )
WRAPPED(int, rename, (const char *from, const char *to), (from, to), )
WRAPPED(int, unlink, (const char *path), (path), )
// A failed close has still closed, as Linux documents.
WRAPPED(int, close, (int fd), (fd), if (error) real(fd))
// A short write writes half of what it is given.
WRAPPED(ssize_t, write, (int fd, const void *bytes, size_t size), (fd, bytes, size),
        if (error == faults::kShortWrite) return real(fd, bytes, size > 1 ? size / 2 : size))
// A failed sync has lost what was written since the last one that succeeded, as on a file system
// that reports a lost write only then (half of the file, here); an interrupted one has lost
// nothing.
#define SYNC(name)                                                                                 \
    WRAPPED(int, name, (int fd), (fd), struct stat file;                                           \
            if (error && error != EINTR && !faults::g_state.synced && fstat(fd, &file) == 0)       \
                ftruncate(fd, file.st_size / 2);                                                   \
            if (!error && real(fd) == 0) return faults::g_state.synced = true, 0)
SYNC(fsync)
SYNC(fdatasync)

extern "C" int open64(const char *path, int flags, ...)
{
    va_list more;
    va_start(more, flags);
    const bool created = (flags & O_CREAT) || (flags & O_TMPFILE) == O_TMPFILE;
    const mode_t mode = created ? va_arg(more, mode_t) : 0;
    va_end(more);
    static const auto real =
        reinterpret_cast<int (*)(const char *, int, ...)>(dlsym(RTLD_NEXT, "open64"));
    const int error = faults::at("open");
    return error ? (errno = error, -1) : real(path, flags, mode);
}

namespace faults
{

const int kHeldError = -2; // Linux refuses no replace for another program's open file
const char *kRemoval = "unlink";
const size_t kLongestName = 255;

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

// Its mode, and as root its owner and group, which the new file takes over (unless it cannot
// give itself away).
void mark(const fs::path &earlier)
{
    chmod(earlier.c_str(), 0640);
    (void)(geteuid() == 0 && chown(earlier.c_str(), 4321, 8765));
}

bool marked(const fs::path &file, const std::string &failing)
{
    struct stat status;
    return stat(file.c_str(), &status) == 0 && (status.st_mode & 0777) == 0640 &&
           (geteuid() != 0 || failing == "fchown" ||
            (status.st_uid == 4321 && status.st_gid == 8765));
}

void pressEndingAt(int call, const fs::path &folder)
{
    const pid_t child = fork();
    if (child == 0) {
        g_state = {true, call, 0, 0, true};
        press(folder);
        _exit(0);
    }
    waitpid(child, nullptr, 0);
}

} // namespace faults
