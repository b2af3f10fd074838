#include "files.h"
#include "platform.h"

namespace quorlex
{

FolderAccess probeFolder(const Text &folder)
{
    DWORD error = ERROR_FILE_EXISTS;
    for (unsigned attempt = 0; attempt < kTemporaryNameAttempts && error == ERROR_FILE_EXISTS;
         ++attempt) {
        // Removed by the system as its handle closes, and so even if the tool ended in between.
        const Text probe = folder + kPathSeparator + temporaryName(attempt);
        const HANDLE handle = g_fileCalls.createFile(
            wide(probe), GENERIC_WRITE | DELETE, 0, nullptr, CREATE_NEW,
            FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_TEMPORARY | FILE_FLAG_DELETE_ON_CLOSE, nullptr);
        if (handle != INVALID_HANDLE_VALUE) {
            g_fileCalls.closeHandle(handle);
            return {};
        }
        error = GetLastError();
    }
    return {false, error == ERROR_ACCESS_DENIED, systemReason(error)};
}

} // namespace quorlex
