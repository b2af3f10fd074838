#pragma once

// What the configuration core takes from the system it runs on. Each part has one source file
// per system: linux/ (Qt Core where it does the job well) and windows/ (the Win32 API alone).

#include "text.h"

#include <memory>
#include <string>

namespace quorlex
{

// The folder that holds the running program, in the system's notation.
Text programFolder();

// The separator between a folder and a file name: a backslash on Windows, a slash elsewhere.
extern const char16_t kPathSeparator;

// The text composed to Unicode normalisation form C.
Text composedNfc(TextView text);

// The text as the file's 8-bit code page holds it: the ANSI code page on Windows, Windows-1252
// elsewhere. A character the code page lacks becomes '?'.
std::string toCodePage(TextView text);

// Whether a new file can be created in a folder. Only trying tells the truth (permissions,
// read-only media and shares, folders that protection software guards), so a file is created
// there and removed at once, and nothing is left behind.
struct FolderAccess {
    bool writable = true;
    bool denied = false; // refused as access denied, which more rights may mend
    Text reason = {};    // the system's words, when !writable
};
FolderAccess probeFolder(const Text &folder);

// The new content of a file, written beside it and put in its place only when complete and on
// the disk: until then the earlier file stays exactly as it was, and on any failure nothing of
// the new one is left behind.
class FileReplacement
{
public:
    explicit FileReplacement(const Text &path);
    ~FileReplacement();
    FileReplacement(const FileReplacement &) = delete;
    FileReplacement &operator=(const FileReplacement &) = delete;

    // Creates the new file beside the earlier one. Returns the system's reason for a failure,
    // empty on success.
    Text open();

    // Writes `bytes` into the new file, syncs it and puts it in the earlier one's place. Returns
    // the system's reason for a failure, empty on success.
    Text commit(const std::string &bytes);

private:
    struct Impl;
    std::unique_ptr<Impl> m;
};

} // namespace quorlex
