#pragma once

// What the window's behaviour needs of a toolkit: the controls of the table, addressed by id, and
// a message box. A face creates the controls, moves their values and shows boxes; everything the
// window does with them is Form1's.

#include "platform.h"
#include "text.h"

namespace quorlex
{

class Face
{
public:
    virtual ~Face() = default;

    // A check box's state: 0 unticked, 1 ticked, 2 greyed.
    virtual int checkState(int id) const = 0;
    virtual void setCheckState(int id, int state) = 0;
    // Whether an option button is the selected one of its row.
    virtual bool isSelected(int id) const = 0;
    // A text box's text or a label's caption.
    virtual Text text(int id) const = 0;
    virtual void setText(int id, const Text &text) = 0;
    // A frame shows, hides, enables or disables everything it holds with it.
    virtual void showControl(int id, bool shown) = 0;
    virtual void enableControl(int id, bool enabled) = 0;
    // A modal box with the title, the text, no icon and a single OK button; returns once it has
    // been dismissed.
    virtual void showMessage(const Text &title, const Text &text) = 0;
    // At start, when the program's folder takes no new file: says so with the folder, the
    // system's reason and what to do about it, and returns once it has been answered.
    virtual void showFolderRefusal(const Text &folder, const FolderAccess &access) = 0;
};

// The declarations of a face's side of the interface, the same in every face.
#define QUORLEX_FACE_OVERRIDES                                                                     \
    int checkState(int id) const override;                                                         \
    void setCheckState(int id, int state) override;                                                \
    bool isSelected(int id) const override;                                                        \
    Text text(int id) const override;                                                              \
    void setText(int id, const Text &text) override;                                               \
    void showControl(int id, bool shown) override;                                                 \
    void enableControl(int id, bool enabled) override;                                             \
    void showMessage(const Text &title, const Text &text) override;                                \
    void showFolderRefusal(const Text &folder, const FolderAccess &access) override;

} // namespace quorlex
