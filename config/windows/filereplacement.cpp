#include "platform.h"

#include <windows.h>

#include <algorithm>

namespace quorlex
{

namespace
{

const wchar_t *wide(const Text &text)
{
    return reinterpret_cast<const wchar_t *>(text.c_str());
}

// The system's own words for an error, without the line end that FormatMessageW puts after them.
Text systemReason(DWORD error)
{
    wchar_t *message = nullptr;
    const DWORD length = FormatMessageW(
        FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS,
        nullptr, error, 0, reinterpret_cast<wchar_t *>(&message), 0, nullptr);
    Text reason = length ? Text(reinterpret_cast<char16_t *>(message), length)
                         : u"System error " + decimal(static_cast<long long>(error));
    LocalFree(message);
    while (!reason.empty() && (reason.back() == u'\n' || reason.back() == u'\r'))
        reason.pop_back();
    return reason;
}

// Windows does not let a file be replaced while another program holds it open without sharing
// its deletion: an editor, a reader that keeps it open, a virus or backup scanner. Such holds
// mostly last a moment, so the replace is tried again for a while.
bool heldByAnotherProgram(const Text &path)
{
    const HANDLE probe =
        CreateFileW(wide(path), DELETE, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                    nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (probe == INVALID_HANDLE_VALUE)
        return GetLastError() == ERROR_SHARING_VIOLATION;
    CloseHandle(probe);
    return false;
}

constexpr DWORD kHeldPatienceMs = 2000;
constexpr DWORD kHeldRetryMs = 50;

const char16_t kHeldReason[] = u"Another program has the file open, so it cannot be replaced. "
                               u"Close that program, or wait a moment, and press \"Create Config "
                               u"File\" again.";

} // namespace

struct FileReplacement::Impl {
    Text path;
    Text temporary; // the new file, beside the earlier one until it takes its place
    HANDLE handle = INVALID_HANDLE_VALUE;

    void drop()
    {
        if (handle != INVALID_HANDLE_VALUE)
            CloseHandle(handle);
        handle = INVALID_HANDLE_VALUE;
        if (!temporary.empty())
            DeleteFileW(wide(temporary));
        temporary.clear();
    }
};

FileReplacement::FileReplacement(const Text &path) : m(new Impl)
{
    m->path = path;
}

FileReplacement::~FileReplacement()
{
    m->drop();
}

Text FileReplacement::open()
{
    // The same reasons as for the rename that would fail later, but before anything is written.
    const DWORD attributes = GetFileAttributesW(wide(m->path));
    if (attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY))
        return u"Filename refers to a directory";
    if (attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_READONLY))
        return u"Existing file " + m->path + u" is not writable";
    // One name per process: the tool writes one file at a time.
    m->temporary = m->path + u"." + decimal(GetCurrentProcessId()) + u".new";
    m->handle = CreateFileW(wide(m->temporary), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                            FILE_ATTRIBUTE_NORMAL, nullptr);
    if (m->handle != INVALID_HANDLE_VALUE)
        return {};
    const DWORD error = GetLastError();
    m->temporary.clear(); // not created, so nothing to remove
    return systemReason(error);
}

Text FileReplacement::commit(const std::string &bytes)
{
    // A full disk may show at the write or only at the flush; every step is checked, and the
    // earlier file is replaced only by a new one that is whole and on the disk.
    DWORD error = ERROR_SUCCESS;
    for (size_t done = 0; done < bytes.size() && error == ERROR_SUCCESS;) {
        DWORD written = 0;
        const DWORD chunk = DWORD(std::min<size_t>(bytes.size() - done, 1u << 20));
        if (!WriteFile(m->handle, bytes.data() + done, chunk, &written, nullptr) || written == 0)
            error = GetLastError() != ERROR_SUCCESS ? GetLastError() : ERROR_WRITE_FAULT;
        done += written;
    }
    if (error == ERROR_SUCCESS && !FlushFileBuffers(m->handle))
        error = GetLastError();
    if (!CloseHandle(m->handle) && error == ERROR_SUCCESS)
        error = GetLastError();
    m->handle = INVALID_HANDLE_VALUE;
    if (error != ERROR_SUCCESS) {
        m->drop();
        return systemReason(error);
    }

    const ULONGLONG start = GetTickCount64();
    while (!MoveFileExW(wide(m->temporary), wide(m->path),
                        MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH)) {
        error = GetLastError();
        if (!heldByAnotherProgram(m->path)) {
            m->drop();
            return systemReason(error);
        }
        if (GetTickCount64() - start >= kHeldPatienceMs) {
            m->drop();
            return kHeldReason;
        }
        Sleep(kHeldRetryMs);
    }
    m->temporary.clear(); // it is the file now
    return {};
}

} // namespace quorlex
