// Holds a file open as another program does, so that Windows refuses to replace it:
// holdfile.exe PATH MILLISECONDS [deletion]. Shares reads only, as an editor or a reader that
// keeps the file open; with "deletion" also writes and deletion, as a search indexer, a backup
// agent or a virus scanner. Prints "held" once the file is open; the file is let go when the
// program ends.

#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>

int main(int argc, char **argv)
{
    const DWORD share = argc == 4 && std::strcmp(argv[3], "deletion") == 0
                            ? FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE
                            : FILE_SHARE_READ;
    if (argc < 3 || CreateFileA(argv[1], GENERIC_READ, share, nullptr, OPEN_EXISTING,
                                FILE_ATTRIBUTE_NORMAL, nullptr) == INVALID_HANDLE_VALUE)
        return 1;
    std::puts("held");
    std::fflush(stdout);
    Sleep(DWORD(std::atoi(argv[2])));
    return 0;
}
