// Starts a program with the limited rights that User Account Control gives an administrator's
// programs, as Windows starts them: limited.exe PROGRAM. Returns the program's exit status.

#include <windows.h>

int wmain(int argc, wchar_t **argv)
{
    HANDLE token = nullptr;
    TOKEN_LINKED_TOKEN linked{};
    DWORD size = 0;
    HANDLE limited = nullptr;
    STARTUPINFOW startup{};
    startup.cb = sizeof(startup);
    PROCESS_INFORMATION started{};
    if (argc != 2 || !OpenProcessToken(GetCurrentProcess(), TOKEN_QUERY, &token) ||
        !GetTokenInformation(token, TokenLinkedToken, &linked, sizeof(linked), &size) ||
        !DuplicateTokenEx(linked.LinkedToken, TOKEN_ALL_ACCESS, nullptr, SecurityImpersonation,
                          TokenPrimary, &limited) ||
        !CreateProcessAsUserW(limited, argv[1], nullptr, nullptr, nullptr, FALSE, 0, nullptr,
                              nullptr, &startup, &started))
        return 100;
    DWORD status = 101;
    WaitForSingleObject(started.hProcess, INFINITE);
    GetExitCodeProcess(started.hProcess, &status);
    return int(status);
}
