// Holds a file open as an editor or a scanner does, sharing reads only, so that Windows refuses
// to replace it: holdfile.exe PATH MILLISECONDS. Prints "held" once the file is open; the file
// is let go when the program ends.

#include <windows.h>

#include <cstdio>
#include <cstdlib>

int main(int argc, char **argv)
{
    if (argc != 3 || CreateFileA(argv[1], GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                                 FILE_ATTRIBUTE_NORMAL, nullptr) == INVALID_HANDLE_VALUE)
        return 1;
    std::puts("held");
    std::fflush(stdout);
    Sleep(DWORD(std::atoi(argv[2])));
    return 0;
}
