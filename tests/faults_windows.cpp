// Put in the place of the system's calls (files.h: g_fileCalls): each asks whether a planted
// failure falls on it and then fails as Windows documents it, or makes the real call. Time passes
// only while the tool sleeps, so that its waits for a hold take none. A crash is a child process,
// this program started again, that ends at the call.

#include "faults.h"
#include "files.h"

namespace
{

ULONGLONG g_now = 0;
// The new file that ReplaceFileW could not rename because another program holds it (a virus
// scanner, say): it cannot be moved either, as long as that failure lasts.
std::wstring g_held;

bool held(LPCWSTR file)
{
    const faults::State &s = faults::g_state;
    return s.left > 0 && s.plan.error == ERROR_UNABLE_TO_MOVE_REPLACEMENT && g_held == file;
}

// The file is left as Microsoft documents for each of ReplaceFileW's own failures; for any other
// it keeps its name.
BOOL WINAPI replaceFile(LPCWSTR replaced, LPCWSTR replacement, LPCWSTR backup, DWORD flags,
                        LPVOID exclude, LPVOID reserved)
{
    const int error = faults::at("ReplaceFileW");
    if (!error)
        return ReplaceFileW(replaced, replacement, backup, flags, exclude, reserved);
    if (error == ERROR_UNABLE_TO_MOVE_REPLACEMENT) {
        g_held = replacement;
        if (!backup)
            DeleteFileW(replaced); // "the replaced file no longer exists"
    }
    if (error == ERROR_UNABLE_TO_MOVE_REPLACEMENT_2) // "still exists with a different name"
        MoveFileExW(replaced, backup ? backup : (std::wstring(replaced) + L"~aside").c_str(), 0);
    SetLastError(DWORD(error));
    return FALSE;
}

// A failed flush has lost what was written, as on a network share or a full disk that reports a
// lost write only then: half of the file, here.
BOOL WINAPI flushFileBuffers(HANDLE file)
{
    const int error = faults::at("FlushFileBuffers");
    if (!error)
        return FlushFileBuffers(file);
    LARGE_INTEGER size{};
    GetFileSizeEx(file, &size);
    size.QuadPart /= 2;
    SetFilePointerEx(file, size, nullptr, FILE_BEGIN);
    SetEndOfFile(file);
    SetLastError(DWORD(error));
    return FALSE;
}

BOOL WINAPI moveFile(LPCWSTR from, LPCWSTR to, DWORD flags)
{
    const int error = held(from) ? ERROR_ACCESS_DENIED : faults::at("MoveFileExW");
    if (!error)
        return MoveFileExW(from, to, flags);
    SetLastError(DWORD(error));
    return FALSE;
}

// A failed close has still closed the handle.
BOOL WINAPI closeHandle(HANDLE handle)
{
    const int error = faults::at("CloseHandle");
    const BOOL closed = CloseHandle(handle);
    if (error)
        SetLastError(DWORD(error));
    return error ? FALSE : closed;
}

} // namespace

#define FAILING(field, real, failed)                                                               \
    quorlex::g_fileCalls.field = [](auto... args) {                                                \
        if (const int error = faults::at(#real)) {                                                 \
            SetLastError(DWORD(error));                                                            \
            return decltype(real(args...))(failed);                                                \
        }                                                                                          \
        return real(args...);                                                                      \
    }

namespace faults
{

const int kHeldError = ERROR_SHARING_VIOLATION;
const char *kRemoval = "DeleteFileW";

void install()
{
    FAILING(createFile, CreateFileW, INVALID_HANDLE_VALUE);
    FAILING(writeFile, WriteFile, FALSE);
    FAILING(getFileAttributes, GetFileAttributesW, INVALID_FILE_ATTRIBUTES);
    FAILING(deleteFile, DeleteFileW, FALSE);
    quorlex::g_fileCalls.flushFileBuffers = flushFileBuffers;
    quorlex::g_fileCalls.closeHandle = closeHandle;
    quorlex::g_fileCalls.moveFile = moveFile;
    quorlex::g_fileCalls.replaceFile = replaceFile;
    quorlex::g_fileCalls.tickCount = [] { return g_now; };
    quorlex::g_fileCalls.sleep = [](DWORD milliseconds) { g_now += milliseconds; };
}

std::vector<int> failuresOf(const std::string &call)
{
    std::vector<int> failures{ERROR_ACCESS_DENIED, ERROR_SHARING_VIOLATION, ERROR_LOCK_VIOLATION,
                              ERROR_DISK_FULL,     ERROR_WRITE_FAULT,       ERROR_PATH_NOT_FOUND};
    if (call == "ReplaceFileW")
        failures.insert(failures.end(),
                        {ERROR_UNABLE_TO_REMOVE_REPLACED, ERROR_UNABLE_TO_MOVE_REPLACEMENT,
                         ERROR_UNABLE_TO_MOVE_REPLACEMENT_2});
    return failures;
}

// Another program's hold on the file in its place, which the tool waits out.
bool waitedOut(const std::string &call, int error)
{
    const bool replacing = call == "ReplaceFileW" || call == "MoveFileExW";
    return replacing && error != ERROR_DISK_FULL && error != ERROR_WRITE_FAULT &&
           error != ERROR_PATH_NOT_FOUND;
}

quorlex::Text systemWords(int error)
{
    return quorlex::systemReason(DWORD(error));
}

void crash()
{
    TerminateProcess(GetCurrentProcess(), 99);
    for (;;) {
    }
}

void pressEndingAt(int call, const std::filesystem::path &folder)
{
    wchar_t self[MAX_PATH];
    GetModuleFileNameW(nullptr, self, MAX_PATH);
    std::wstring line = L"tst_faults crash " + std::to_wstring(call);
    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION child{};
    if (CreateProcessW(self, line.data(), nullptr, nullptr, FALSE, 0, nullptr,
                       folder.wstring().c_str(), &startup, &child)) {
        WaitForSingleObject(child.hProcess, INFINITE);
        CloseHandle(child.hProcess);
        CloseHandle(child.hThread);
    }
}

} // namespace faults
