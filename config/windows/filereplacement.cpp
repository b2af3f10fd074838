#include "files.h"
#include "platform.h"

#include <algorithm>

namespace quorlex
{

namespace
{

constexpr DWORD kHeldPatienceMs = 2000;
constexpr DWORD kHeldRetryMs = 50;

const char16_t kHeldReason[] = u"Another program has the file open, so it cannot be replaced. "
                               u"Close that program, or wait a moment, and press \"Create Config "
                               u"File\" again.";
const char16_t kFolderReason[] = u"Filename refers to a directory";

FileCalls &sys = g_fileCalls;

bool exists(const Text &path)
{
    return sys.getFileAttributes(wide(path)) != INVALID_FILE_ATTRIBUTES;
}

bool isFolder(const Text &path)
{
    const DWORD attributes = sys.getFileAttributes(wide(path));
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY);
}

DWORD succeeded(BOOL done)
{
    return done ? ERROR_SUCCESS : GetLastError();
}

// How Windows refuses to replace or remove a file that another program has open: an editor or a
// reader that keeps it open without sharing its deletion (a sharing violation); a search indexer,
// a backup agent or a virus scanner that shares its deletion, or that opens the new file the
// moment it is closed (access denied); a byte-range lock. By the time the file is replaced the
// folder is known to take new files and the file not to be read-only, so these are holds, and
// holds mostly last a moment. ReplaceFileW reports the same through its own codes; after
// ERROR_UNABLE_TO_MOVE_REPLACEMENT_2 the earlier file has gone to the backup name, and the next
// try moves the new one into its free place.
bool isHold(DWORD error)
{
    switch (error) {
    case ERROR_SHARING_VIOLATION:
    case ERROR_ACCESS_DENIED:
    case ERROR_LOCK_VIOLATION:
    case ERROR_UNABLE_TO_REMOVE_REPLACED:
    case ERROR_UNABLE_TO_MOVE_REPLACEMENT:
    case ERROR_UNABLE_TO_MOVE_REPLACEMENT_2:
        return true;
    default:
        return false;
    }
}

// Runs `step` again while `again` holds for its failure, for up to two seconds.
template <typename Step, typename Again> DWORD retried(Step step, Again again)
{
    const ULONGLONG start = sys.tickCount();
    DWORD error;
    while ((error = step()) != ERROR_SUCCESS && again(error) &&
           sys.tickCount() - start < kHeldPatienceMs)
        sys.sleep(kHeldRetryMs);
    return error;
}

// Removes a file of the tool's own, which nothing else has reason to keep: any refusal is tried
// again.
void remove(const Text &path)
{
    retried([&] { return succeeded(sys.deleteFile(wide(path))); },
            [](DWORD error) { return error != ERROR_FILE_NOT_FOUND; });
}

// Whether another program has the file open: opening it without sharing anything fails then,
// whatever that program shares.
bool heldByAnotherProgram(const Text &path)
{
    const HANDLE probe = sys.createFile(wide(path), GENERIC_READ, 0, nullptr, OPEN_EXISTING,
                                        FILE_ATTRIBUTE_NORMAL, nullptr);
    if (probe == INVALID_HANDLE_VALUE)
        return GetLastError() == ERROR_SHARING_VIOLATION;
    sys.closeHandle(probe);
    return false;
}

// The earlier file's attributes that the new one takes over (hidden, system, archive, not
// indexed). ReplaceFileW keeps them where it runs as Windows documents it; set here as well, they
// are kept by every implementation of it.
DWORD keptAttributes(const Text &path)
{
    const DWORD attributes = sys.getFileAttributes(wide(path));
    constexpr DWORD kept = FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM | FILE_ATTRIBUTE_ARCHIVE |
                           FILE_ATTRIBUTE_NOT_CONTENT_INDEXED;
    return attributes == INVALID_FILE_ATTRIBUTES ? 0 : attributes & kept;
}

} // namespace

struct FileReplacement::Impl {
    Text path;
    Text temporary; // the new file, beside the earlier one until it takes its place
    Text backup;    // where ReplaceFileW puts the earlier file on its way out
    HANDLE handle = INVALID_HANDLE_VALUE;

    void drop()
    {
        if (handle != INVALID_HANDLE_VALUE)
            sys.closeHandle(handle);
        handle = INVALID_HANDLE_VALUE;
        if (!temporary.empty())
            remove(temporary);
        temporary.clear();
    }

    // Puts the new file in the earlier one's place: ReplaceFileW where there is an earlier file,
    // so that the new one keeps its permissions and attributes, else a rename. ReplaceFileW is
    // asked only once the earlier file may be deleted at all: some implementations of it leave
    // a file of their own behind at each refusal. It is given a backup name because only then
    // does each of its failures leave both files under names the tool knows (Microsoft: without
    // one, ERROR_UNABLE_TO_MOVE_REPLACEMENT leaves the replaced file gone, and
    // ERROR_UNABLE_TO_MOVE_REPLACEMENT_2 leaves it "with a different name").
    DWORD replace()
    {
        if (!exists(path))
            return succeeded(sys.moveFile(wide(temporary), wide(path),
                                          MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH));
        const HANDLE earlier = sys.createFile(
            wide(path), DELETE, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
            OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
        if (earlier == INVALID_HANDLE_VALUE)
            return GetLastError();
        sys.closeHandle(earlier);
        return succeeded(sys.replaceFile(
            wide(path), wide(temporary), wide(backup),
            REPLACEFILE_IGNORE_MERGE_ERRORS | REPLACEFILE_IGNORE_ACL_ERRORS, nullptr, nullptr));
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
    // The same reasons as for the replace that would fail later, but before anything is written.
    if (isFolder(m->path))
        return kFolderReason;
    const DWORD attributes = sys.getFileAttributes(wide(m->path));
    if (attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_READONLY))
        return u"Existing file " + m->path + u" is not writable";
    const Text folder = m->path.substr(0, m->path.find_last_of(u'\\') + 1);
    DWORD error = ERROR_FILE_EXISTS;
    for (unsigned attempt = 0; attempt < kTemporaryNameAttempts && error == ERROR_FILE_EXISTS;
         ++attempt) {
        // A new name each time: a file of that name, whoever left it, is never touched.
        const Text temporary = folder + temporaryName(attempt);
        m->handle = sys.createFile(wide(temporary), GENERIC_WRITE, 0, nullptr, CREATE_NEW,
                                   FILE_ATTRIBUTE_NORMAL | keptAttributes(m->path), nullptr);
        if (m->handle != INVALID_HANDLE_VALUE) {
            m->temporary = temporary;
            // As short as the new file's name: ".bak" for ".tmp".
            m->backup = temporary.substr(0, temporary.size() - 3) + u"bak";
            return {};
        }
        error = GetLastError();
    }
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
        if (!sys.writeFile(m->handle, bytes.data() + done, chunk, &written, nullptr) ||
            written == 0)
            error = GetLastError() != ERROR_SUCCESS ? GetLastError() : ERROR_WRITE_FAULT;
        done += written;
    }
    if (error == ERROR_SUCCESS && !sys.flushFileBuffers(m->handle))
        error = GetLastError();
    if (!sys.closeHandle(m->handle) && error == ERROR_SUCCESS)
        error = GetLastError();
    m->handle = INVALID_HANDLE_VALUE;
    // A folder may have taken the file's place since it was opened (while a warning was read),
    // and a folder is never replaced.
    if (error != ERROR_SUCCESS || isFolder(m->path)) {
        m->drop();
        return error != ERROR_SUCCESS ? systemReason(error) : Text(kFolderReason);
    }

    const bool earlier = exists(m->path);
    error = retried([&] { return m->replace(); }, isHold);
    if (error == ERROR_SUCCESS) {
        m->temporary.clear(); // it is the file now
        remove(m->backup);    // the earlier file, kept only until the new one was in its place
        return {};
    }
    const bool held =
        isHold(error) && (heldByAnotherProgram(m->path) || heldByAnotherProgram(m->temporary));
    Text reason = held ? Text(kHeldReason) : systemReason(error);
    // ReplaceFileW may have moved the earlier file to the backup name before it failed: it goes
    // back. Should even that fail, both files stay, and the window says where.
    if (earlier && !exists(m->path) &&
        !sys.moveFile(wide(m->backup), wide(m->path), MOVEFILE_WRITE_THROUGH)) {
        reason += u" The earlier settings are in " + m->backup + u", the new ones in " +
                  m->temporary + u".";
        m->temporary.clear();
    }
    m->drop();
    return reason;
}

} // namespace quorlex
