// Linked into tst_writer: while QUORLEX_FAIL_SYNC is 1, fsync and fdatasync fail with EIO, as on
// a file system that reports a lost write only when asked to sync.

#include <cerrno>
#include <cstdlib>
#include <dlfcn.h>

static int failWhenAsked(const char *name, int fd)
{
    const char *asked = std::getenv("QUORLEX_FAIL_SYNC");
    if (!asked || *asked != '1')
        return reinterpret_cast<int (*)(int)>(dlsym(RTLD_NEXT, name))(fd);
    errno = EIO;
    return -1;
}

extern "C" int fsync(int fd)
{
    return failWhenAsked("fsync", fd);
}
extern "C" int fdatasync(int fd)
{
    return failWhenAsked("fdatasync", fd);
}
