#pragma once

// What the Windows file services share: the system calls they make, the system's words for an
// error (which the Windows face says too), and the names of the short-lived files the tool
// creates beside QUORLEX_CONFIG.txt.

#include "text.h"

#include <windows.h>

namespace quorlex
{

// The system calls that writing the file makes, each called through this table: the system's own,
// unless a test puts others in their place to make any of them fail as Windows documents it, and
// to let the waits for a hold pass without waiting.
struct FileCalls {
    decltype(&::CreateFileW) createFile = ::CreateFileW;
    decltype(&::WriteFile) writeFile = ::WriteFile;
    decltype(&::FlushFileBuffers) flushFileBuffers = ::FlushFileBuffers;
    decltype(&::CloseHandle) closeHandle = ::CloseHandle;
    decltype(&::GetFileAttributesW) getFileAttributes = ::GetFileAttributesW;
    decltype(&::ReplaceFileW) replaceFile = ::ReplaceFileW;
    decltype(&::MoveFileExW) moveFile = ::MoveFileExW;
    decltype(&::DeleteFileW) deleteFile = ::DeleteFileW;
    decltype(&::GetTickCount64) tickCount = ::GetTickCount64;
    decltype(&::Sleep) sleep = ::Sleep;
};
extern FileCalls g_fileCalls;

// The system's own words for an error, without the line end that FormatMessageW puts after them.
Text systemReason(DWORD error);

// A name for a short-lived file of the tool's own, different for each `attempt`. It is no longer
// than "QUORLEX_CONFIG.txt", so that it fits wherever the file itself fits: a folder whose path is
// near the system's limit of 259 characters takes both or neither.
Text temporaryName(unsigned attempt);

// How many names are tried before a folder is taken to refuse new files.
inline constexpr unsigned kTemporaryNameAttempts = 16;

} // namespace quorlex
