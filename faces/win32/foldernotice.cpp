#include "foldernotice.h"

#include "commoncontrols.h"
#include "form1.h"
#include "messagebox.h"
#include "windows/files.h"

#include <commctrl.h>
#include <shellapi.h>

namespace quorlex
{

namespace
{

// What the instance started as administrator finds on its command line, so that it never offers
// the same again: a system without User Account Control starts it with the same rights.
constexpr wchar_t kRestartedMarker[] = L"--restarted-as-administrator";
constexpr int kRestartButton = 100;
constexpr int kContinueButton = 101;
constexpr char16_t kRestartCaption[] = u"Restart as administrator";
constexpr char16_t kContinueCaption[] = u"Continue";

Text programPath()
{
    Text path(32768, u'\0');
    path.resize(
        GetModuleFileNameW(nullptr, reinterpret_cast<wchar_t *>(path.data()), DWORD(path.size())));
    return path;
}

template <typename Function> Function systemFunction(const wchar_t *dll, const char *name)
{
    const HMODULE module = LoadLibraryExW(dll, nullptr, LOAD_LIBRARY_SEARCH_SYSTEM32);
    return reinterpret_cast<Function>(
        reinterpret_cast<void *>(module ? GetProcAddress(module, name) : nullptr));
}

bool runsAsAdministrator()
{
    using Open = BOOL(WINAPI *)(HANDLE, DWORD, HANDLE *);
    using Query = BOOL(WINAPI *)(HANDLE, TOKEN_INFORMATION_CLASS, void *, DWORD, DWORD *);
    const auto open = systemFunction<Open>(L"advapi32.dll", "OpenProcessToken");
    const auto query = systemFunction<Query>(L"advapi32.dll", "GetTokenInformation");
    HANDLE token = nullptr;
    if (!open || !query || !open(GetCurrentProcess(), TOKEN_QUERY, &token))
        return false;
    TOKEN_ELEVATION elevation{};
    DWORD size = 0;
    const bool elevated = query(token, TokenElevation, &elevation, sizeof(elevation), &size) &&
                          elevation.TokenIsElevated;
    CloseHandle(token);
    return elevated;
}

bool wasRestartedAsAdministrator()
{
    return wcsstr(GetCommandLineW(), kRestartedMarker) != nullptr;
}

HRESULT CALLBACK shieldOnRestart(HWND box, UINT notification, WPARAM, LPARAM, LONG_PTR)
{
    if (notification == TDN_CREATED)
        SendMessageW(box, TDM_SET_BUTTON_ELEVATION_REQUIRED_STATE, kRestartButton, TRUE);
    return S_OK;
}

} // namespace

bool restartAsAdministrator(HWND owner, const Text &program)
{
    using Execute = BOOL(WINAPI *)(SHELLEXECUTEINFOW *);
    const auto execute = systemFunction<Execute>(L"shell32.dll", "ShellExecuteExW");
    SHELLEXECUTEINFOW start{};
    start.cbSize = sizeof(start);
    start.fMask = SEE_MASK_NOASYNC | SEE_MASK_FLAG_NO_UI;
    start.hwnd = owner;
    start.lpVerb = L"runas";
    start.lpFile = wide(program);
    start.lpParameters = kRestartedMarker;
    start.nShow = SW_SHOWNORMAL;
    if (execute && execute(&start))
        return true;
    // Declined at the prompt, the window stays as it is; refused by the system, it says why, in
    // its own words rather than in a box of the shell's, which may offer what cannot mend it.
    const DWORD error = execute ? GetLastError() : ERROR_PROC_NOT_FOUND;
    if (error != ERROR_CANCELLED)
        showMessageBox(owner, kFolderRefusalTitle,
                       u"The tool could not be started again as administrator.\r\n\r\n" +
                           systemReason(error));
    return false;
}

bool showFolderRefusalBox(HWND owner, const Text &folder, const FolderAccess &access)
{
    const bool administrator = wasRestartedAsAdministrator() || runsAsAdministrator();
    const bool offer = access.denied && !administrator;
    const Text program = programPath().substr(programPath().find_last_of(u'\\') + 1);
    const Text copyElsewhere =
        u"copy " + program + u" into a folder you can write to and start it there.";
    Text advice;
    if (offer)
        advice = u"Restart the tool as administrator, or " + copyElsewhere;
    else if (access.denied)
        advice = u"Even as administrator the folder takes no new file: it may be on a read-only "
                 u"drive or share, or guarded by Controlled folder access. Allow the tool there, "
                 u"or " +
                 copyElsewhere;
    else
        advice = u"Make the folder writable, or " + copyElsewhere;
    const Text content = folder + u"\r\n\r\n" + access.reason + u"\r\n\r\n" + advice +
                         u"\r\n\r\nWhat you choose in the window until then cannot be saved.";

    // A task dialog's form: each part under its name in brackets, then the buttons.
    const Text buttons =
        offer ? u"[" + Text(kRestartCaption) + u"] [" + kContinueCaption + u"]" : Text(u"[OK]");
    const CopiedOnCtrlC copied(u"[Window Title]\r\n" + Text(kFolderRefusalTitle) +
                               u"\r\n\r\n[Main Instruction]\r\n" + kFolderRefusalHeading +
                               u"\r\n\r\n[Content]\r\n" + content + u"\r\n\r\n" + buttons +
                               u"\r\n");

    using Show = HRESULT(WINAPI *)(const TASKDIALOGCONFIG *, int *, int *, BOOL *);
    const HMODULE controls = commonControls();
    const auto show = reinterpret_cast<Show>(reinterpret_cast<void *>(
        controls ? GetProcAddress(controls, "TaskDialogIndirect") : nullptr));
    if (!show) {
        // Without task dialogs (comctl32 5), a message box that offers nothing.
        MessageBoxW(owner, wide(Text(kFolderRefusalHeading) + u"\r\n\r\n" + content),
                    wide(kFolderRefusalTitle), MB_OK | MB_ICONWARNING);
        return false;
    }
    const TASKDIALOG_BUTTON choices[] = {{kRestartButton, wide(kRestartCaption)},
                                         {kContinueButton, wide(kContinueCaption)}};
    TASKDIALOGCONFIG config{};
    config.cbSize = sizeof(config);
    config.hwndParent = owner;
    config.dwFlags = TDF_ALLOW_DIALOG_CANCELLATION | TDF_POSITION_RELATIVE_TO_WINDOW;
    config.pszWindowTitle = wide(kFolderRefusalTitle);
    config.pszMainIcon = TD_WARNING_ICON;
    config.pszMainInstruction = wide(kFolderRefusalHeading);
    config.pszContent = wide(content);
    if (offer) {
        config.cButtons = 2;
        config.pButtons = choices;
        config.nDefaultButton = kRestartButton;
        config.pfCallback = shieldOnRestart;
    } else {
        config.dwCommonButtons = TDCBF_OK_BUTTON;
    }
    int chosen = 0;
    if (FAILED(show(&config, &chosen, nullptr, nullptr)) || chosen != kRestartButton)
        return false;
    return restartAsAdministrator(owner, programPath());
}

} // namespace quorlex
