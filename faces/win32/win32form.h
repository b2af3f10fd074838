#pragma once

// The setup window drawn with Windows' own controls: one BUTTON, STATIC or EDIT window per
// control of the table, their values handed to and from Form1, and MessageBoxW.

#include "controlstates.h"
#include "face.h"
#include "form1.h"

#include <windows.h>

#include <vector>

namespace quorlex
{

// The text of a clipboard block of `bytes` bytes, to its first zero or its end: another program
// may have put it there without the terminating zero.
Text clipboardText(const void *block, size_t bytes);

class Win32Form final : public Face
{
public:
    explicit Win32Form(HINSTANCE instance);
    ~Win32Form() override;
    Win32Form(const Win32Form &) = delete;
    Win32Form &operator=(const Win32Form &) = delete;

    // Creates the window in its initial state, runs the load step, shows the window with its
    // controls and tries the program's folder. Returns false when the system refuses a window.
    bool open(int show);

    // Runs the window until it is closed; returns the program's exit status.
    int run();

    HWND window() const { return m_window; }

    QUORLEX_FACE_OVERRIDES

private:
    void createWindow(int id);
    void createNameLabel(int id);
    int controlId(HWND window) const; // -1 for a window that is not a control
    RECT pixels(int id) const;
    void addToolTip(int id);
    void selectLevel(int id);
    void setDpi(UINT dpi);
    void setIcons(UINT dpi);
    LRESULT handle(UINT message, WPARAM wParam, LPARAM lParam);
    static LRESULT CALLBACK windowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);

    HINSTANCE m_instance;
    HWND m_window = nullptr;
    HWND m_tooltip = nullptr;
    HFONT m_font = nullptr;
    HICON m_icons[2] = {}; // small and large, for the window's present DPI
    UINT m_dpi = USER_DEFAULT_SCREEN_DPI;
    HWND m_focus = nullptr; // the control to give the focus back to when the window is active
    ControlStates m_states;
    std::vector<HWND> m_windows;    // by id; null until the control can be seen
    std::vector<HWND> m_nameLabels; // by id: the hidden label that names a text box
    Form1 m_form;
};

} // namespace quorlex
