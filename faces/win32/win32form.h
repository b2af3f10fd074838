#pragma once

// The setup window drawn with Windows' own controls: one BUTTON, STATIC or EDIT window per
// control of the table, their values handed to and from Form1, and MessageBoxW.

#include "face.h"
#include "form1.h"

#include <windows.h>

#include <vector>

namespace quorlex
{

class Win32Form final : public Face
{
public:
    explicit Win32Form(HINSTANCE instance);
    ~Win32Form() override;
    Win32Form(const Win32Form &) = delete;
    Win32Form &operator=(const Win32Form &) = delete;

    // Creates the window in its initial state, runs the load step and shows the window with its
    // controls. Returns false when the system refuses a window.
    bool open(int show);

    // Runs the window until it is closed; returns the program's exit status.
    int run();

    QUORLEX_FACE_OVERRIDES

private:
    // A control's own state. A control gets its window only once it can be seen: the rows that
    // the load step hides before the window is first shown never get one.
    struct Control {
        HWND window = nullptr;
        Text text;
        int state = 0;
        bool shown = true;
        bool enabled = true;
    };

    bool shownWithFrames(int id) const;
    bool enabledWithFrames(int id) const;
    void createWindow(int id);
    int controlId(HWND window) const; // -1 for a window that is not a control
    RECT pixels(int id) const;
    void addToolTip(int id);
    void selectLevel(int id);
    void setDpi(UINT dpi);
    LRESULT handle(UINT message, WPARAM wParam, LPARAM lParam);
    static LRESULT CALLBACK windowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);

    HINSTANCE m_instance;
    HWND m_window = nullptr;
    HWND m_tooltip = nullptr;
    HFONT m_font = nullptr;
    UINT m_dpi = USER_DEFAULT_SCREEN_DPI;
    HWND m_focus = nullptr; // the control to give the focus back to when the window is active
    std::vector<Control> m_controls; // by id
    Form1 m_form;
};

} // namespace quorlex
