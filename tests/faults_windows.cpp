// Put in the place of the system's calls (files.h: g_fileCalls): each asks whether a planted
// failure falls on it and then fails as Windows documents it, or makes the real call. Time passes
// only while the tool sleeps, so that its waits for a hold take none. A crash is a child process,
// this program started again, that ends at the call.

#include "faults.h"
#include "files.h"

#include <process.h>

// The call failed with the planted error (SetLastError and `failed`), or else made for real, once
// what comes last has had its say.
#define WRAPPED(field, real, failed, ...)                                                          \
    quorlex::g_fileCalls.field = [](auto... args) {                                                \
        const int error = faults::at(#real);                                                       \
        __VA_ARGS__;                                                                               \
        SetLastError(DWORD(error));                                                                \
        return error ? decltype(real(args...))(failed) : real(args...);                            \
    }

namespace faults
{

namespace
{
ULONGLONG g_now = 0;
// The new file that ReplaceFileW could not rename because another program (a virus scanner, say)
// holds it: nor can it be moved, as long as that failure lasts.
std::wstring g_held;
} // namespace

const int kHeldError = ERROR_SHARING_VIOLATION;
const char *kRemoval = "DeleteFileW";
const size_t kLongestName = 18; // as "QUORLEX_CONFIG.txt", to fit wherever the file fits

void install()
{
    WRAPPED(createFile, CreateFileW, INVALID_HANDLE_VALUE);
    WRAPPED(writeFile, WriteFile, FALSE);
    WRAPPED(getFileAttributes, GetFileAttributesW, INVALID_FILE_ATTRIBUTES);
    WRAPPED(deleteFile, DeleteFileW, FALSE);
    // A failed close has still closed the handle.
    WRAPPED(closeHandle, CloseHandle, FALSE, if (error) CloseHandle(args...));
    WRAPPED(
        moveFile, MoveFileExW, FALSE, const auto from = std::get<0>(std::tuple(args...));
        const State &s = g_state;
        if (s.left > 0 && s.error == ERROR_UNABLE_TO_MOVE_REPLACEMENT && g_held == from) {
            SetLastError(ERROR_ACCESS_DENIED);
            return FALSE;
        });
    // A failed flush has lost what was written, as on a share or a disk that reports a lost write
    // only then: half of the file, here.
    WRAPPED(
        flushFileBuffers, FlushFileBuffers, FALSE, LARGE_INTEGER size{};
        if (error && GetFileSizeEx(args..., &size)) {
            size.QuadPart /= 2;
            SetFilePointerEx(args..., size, nullptr, FILE_BEGIN);
            SetEndOfFile(args...);
        });
    // Each of ReplaceFileW's own failures leaves the files as Microsoft documents it; any other,
    // under their own names.
    quorlex::g_fileCalls.replaceFile = [](LPCWSTR replaced, LPCWSTR replacement, LPCWSTR backup,
                                          DWORD flags, LPVOID exclude, LPVOID reserved) -> BOOL {
        const int error = at("ReplaceFileW");
        if (!error)
            return ReplaceFileW(replaced, replacement, backup, flags, exclude, reserved);
        if (error == ERROR_UNABLE_TO_MOVE_REPLACEMENT && !backup)
            DeleteFileW(replaced);                       // "the replaced file no longer exists"
        if (error == ERROR_UNABLE_TO_MOVE_REPLACEMENT_2) // "still exists with a different name"
            MoveFileExW(replaced, backup ? backup : (std::wstring(replaced) + L"~").c_str(), 0);
        g_held = replacement;
        SetLastError(DWORD(error));
        return FALSE;
    };
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

// Hidden, which the new file keeps: the tool sets the earlier file's attributes on it, and
// ReplaceFileW carries them too where it works as Microsoft documents it ("inherited the file
// streams and attributes"), though not under wine. So there, attributes the tool could not read
// are lost.
void mark(const fs::path &earlier)
{
    SetFileAttributesW(earlier.c_str(), FILE_ATTRIBUTE_HIDDEN);
}

bool marked(const fs::path &file, const std::string &failing)
{
    return failing == "GetFileAttributesW" ||
           (GetFileAttributesW(file.c_str()) & FILE_ATTRIBUTE_HIDDEN);
}

void pressEndingAt(int call, const fs::path &folder)
{
    wchar_t self[MAX_PATH];
    GetModuleFileNameW(nullptr, self, MAX_PATH);
    const fs::path here = fs::current_path();
    fs::current_path(folder);
    _wspawnl(_P_WAIT, self, L"tst_faults", L"crash", std::to_wstring(call).c_str(), nullptr);
    fs::current_path(here);
}

} // namespace faults
