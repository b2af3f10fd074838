#pragma once

// The setup window as data: every control with its kind, container, caption, place in twips,
// tab number and initial state. The window is built from this table and nothing else.

#include <QRect>
#include <QString>

#include <vector>

namespace quorlex
{

enum class ControlKind { Frame, Label, CheckBox, OptionButton, TextBox, PushButton };

struct ControlSpec {
    QString name; // "Frame1", "chkWeapon(0)", "optFull(59)"
    ControlKind kind;
    QString container; // "Form1" or the name of a frame
    QString caption;   // caption, or the text of a text box
    QRect twips;       // Left, Top, Width, Height inside the container
    int tab;           // place in the tab order, 0 to 409
    int state = 0;     // check box: 0 or 1; option button: 1 when selected
    bool enabled = true;
    QString levelName; // option buttons: the level they stand for
};

inline constexpr int kTwipsPerPixel = 15;
inline constexpr int kFormWidthTwips = 14805;
inline constexpr int kFormHeightTwips = 9330;
inline constexpr char kFormName[] = "Form1";
inline constexpr char kFormCaption[] = "QUORLEX_CONFIG";

// The option buttons of a command row, in level order: Disabled, Low, Intermediate, Full.
inline constexpr const char *kLevelButtonNames[] = {"optDisable", "optLow", "optIntermediate",
                                                    "optFull"};

// "name(index)", the name of one member of a control array.
QString arrayName(const char *base, int index);

// All 410 controls in tab order, so that every container comes before what it holds.
const std::vector<ControlSpec> &formControls();

// Logical pixels at 96 dpi; Qt scales them on denser screens.
inline QRect twipsToPixels(const QRect &twips)
{
    return {twips.x() / kTwipsPerPixel, twips.y() / kTwipsPerPixel, twips.width() / kTwipsPerPixel,
            twips.height() / kTwipsPerPixel};
}

} // namespace quorlex
