// Holds a file open as an editor or a scanner does, sharing reads only, so that Windows refuses
// to replace it: holdfile.exe PATH MILLISECONDS. Prints "held" once the file is open and
// "released" once it is closed.

#include <windows.h>

#include <cstdio>
#include <cwchar>

int wmain(int argc, wchar_t **argv)
{
    if (argc != 3)
        return 2;
    const HANDLE file = CreateFileW(argv[1], GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                                    FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE)
        return 1;
    std::puts("held");
    std::fflush(stdout);
    Sleep(DWORD(std::wcstoul(argv[2], nullptr, 10)));
    CloseHandle(file);
    std::puts("released");
    std::fflush(stdout);
    return 0;
}
