#pragma once

// The setup window as data: every control with its kind, container, caption, place in twips and
// initial state. Both faces build the window from this table and nothing else.
//
// A control's id is its place in the tab order, 0 to 409, and also its place in the table, so
// that creating the controls in table order gives the tab order, and every frame comes before
// what it holds.

#include "text.h"

#include <string>
#include <vector>

namespace quorlex
{

enum class ControlKind { Frame, Label, CheckBox, OptionButton, TextBox, PushButton };

// Left, Top, Width and Height in twips (1/1440 inch, 15 to a pixel at 96 dpi), measured from the
// outer top-left corner of the container.
struct Twips {
    int left = 0;
    int top = 0;
    int width = 0;
    int height = 0;
};

inline constexpr int kTwipsPerInch = 1440;

struct ControlSpec {
    std::string name = {}; // "Frame1", "chkWeapon(0)", "optFull(59)"
    ControlKind kind = ControlKind::Frame;
    int container = -1; // the id of the frame that holds it; kForm for the window itself
    Text caption = {};  // caption, or the text of a text box
    Twips place = {};
    int state = 0; // check box: 0 or 1; option button: 1 when selected
    bool enabled = true;
    Text levelName = {}; // option buttons: the level they stand for
    // Text boxes: the label that names them for screen readers, or, where none stands beside
    // them, the name itself.
    int label = -1;
    Text screenReaderName = {};
};

inline constexpr char16_t kFormCaption[] = u"QUORLEX_CONFIG";
inline constexpr int kFormWidthTwips = 14805;
inline constexpr int kFormHeightTwips = 9330;

// The ids of the controls, named as the controls are; a control array's id is called with the
// member's index: ctl::chkWeapon(3).
namespace ctl
{
// The ids of a control array's members: the first one's, then a step per index.
struct Array {
    int first;
    int step = 1;
    constexpr int operator()(int index) const { return first + step * index; }
};

inline constexpr int kForm = -1;
inline constexpr int Frame1 = 0;
inline constexpr Array chkWeapon{1};
inline constexpr int Frame2 = 15;
inline constexpr Array chkGrenade{16};
inline constexpr int Frame3 = 21;
inline constexpr Array txtMessage{22};
inline constexpr int Frame4 = 32;
inline constexpr Array chkSettings{33};
inline constexpr int txtFrequency = 39;
inline constexpr int Label1 = 40;
inline constexpr int Command1 = 41;
inline constexpr int fmeAdmin = 42;
inline constexpr int chkUseTieredAdmin = 43;
inline constexpr Array lblCommand{44, 6};
inline constexpr Array fmeAdminLevel{45, 6};
// The option buttons of a row in level order: optDisable, optLow, optIntermediate, optFull.
constexpr int levelButton(int row, int level)
{
    return 46 + 6 * row + level;
}
inline constexpr int fmePassword = 404;
inline constexpr Array Label2{405, 2};
inline constexpr Array txtPass{406, 2};
inline constexpr int Label3 = 409;
inline constexpr int kCount = 410;
} // namespace ctl

// All 410 controls, indexed by id.
const std::vector<ControlSpec> &formControls();

// The control's place measured from the window's client area.
Twips placeOnForm(int id);

// True when `frame` holds the control, directly or through other frames.
bool isInside(int id, int frame);

} // namespace quorlex
