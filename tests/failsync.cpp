// Preloaded into tst_writer (LD_PRELOAD): while QUORLEX_FAIL_SYNC is set, fsync and fdatasync
// fail with EIO, as on a file system that reports a lost write only when asked to sync.

#include <cerrno>
#include <cstdlib>
#include <dlfcn.h>

namespace
{
int failOrCall(const char *name, int fd)
{
    if (std::getenv("QUORLEX_FAIL_SYNC")) {
        errno = EIO;
        return -1;
    }
    using Sync = int (*)(int);
    return reinterpret_cast<Sync>(dlsym(RTLD_NEXT, name))(fd);
}
} // namespace

extern "C" int fsync(int fd)
{
    return failOrCall("fsync", fd);
}

extern "C" int fdatasync(int fd)
{
    return failOrCall("fdatasync", fd);
}
