#include "controltable.h"

#include "configrecord.h"

namespace quorlex
{

namespace
{

using K = ControlKind;

// Widths of the check boxes, in catalogue order; the captions come from the catalogues.
constexpr int kWeaponWidths[kWeaponCount] = {1335, 1335, 1755, 1335, 1335, 1335, 1335,
                                             1335, 1335, 1335, 1575, 1335, 1335, 1335};
constexpr int kGrenadeWidths[kGrenadeCount] = {1455, 1575, 1455, 1455, 1575};
constexpr int kSettingWidths[kSettingCount] = {2055, 2055, 2055, 2055, 2055, 1995};

// Command grid: three columns of twenty rows.
constexpr int kGridRowsPerColumn = 20;
constexpr int kGridColumnLefts[] = {120, 2220, 4380};
constexpr int kGridLineStep = 420;
constexpr int kLevelButtonLefts[kAccessLevelCount] = {60, 300, 540, 780};
constexpr const char *kLevelButtonNames[kAccessLevelCount] = {"optDisable", "optLow",
                                                              "optIntermediate", "optFull"};

const char16_t kNote[] =
    u"NOTE: Full access uses the password set in the serverdata file. If tiered admin is not "
    u"enabled the standard password set in serverdata is used.";

// "name(index)", the name of one member of a control array.
std::string arrayName(const char *base, int index)
{
    return std::string(base) + '(' + std::to_string(index) + ')';
}

class TableBuilder
{
public:
    TableBuilder() : m_table(ctl::kCount) {}

    void add(int id, std::string name, ControlKind kind, int container, Text caption, Twips place,
             int state = 0)
    {
        m_table[id] = {std::move(name), kind, container, std::move(caption), place, state};
    }

    template <std::size_t N>
    void flagColumns(const char *base, int frame, const std::array<FlagEntry, N> &catalogue,
                     const int (&widths)[N], int rowsPerColumn, const int columnLefts[],
                     ctl::Array id)
    {
        for (int k = 0; k < int(N); ++k) {
            const Twips place{columnLefts[k / rowsPerColumn], 300 + 300 * (k % rowsPerColumn),
                              widths[k], 255};
            add(id(k), arrayName(base, k), K::CheckBox, frame, catalogue[k].caption, place,
                catalogue[k].defaultOn ? 1 : 0);
        }
    }

    std::vector<ControlSpec> &table() { return m_table; }

private:
    std::vector<ControlSpec> m_table;
};

std::vector<ControlSpec> buildTable()
{
    using namespace ctl;
    TableBuilder t;
    t.add(Frame1, "Frame1", K::Frame, kForm, u"Banned Weapons", {60, 60, 3795, 2535});
    t.add(Frame2, "Frame2", K::Frame, kForm, u"Banned Grenades", {3960, 60, 1755, 2535});
    t.add(Frame4, "Frame4", K::Frame, kForm, u"Settings", {5820, 60, 2355, 2535});
    t.add(fmePassword, "fmePassword", K::Frame, kForm, u"Password", {60, 2640, 8115, 975});
    t.add(Frame3, "Frame3", K::Frame, kForm, u"Messages", {60, 3660, 8115, 3375});
    t.add(Command1, "Command1", K::PushButton, kForm, u"Create Config File",
          {6660, 7080, 1515, 315});
    t.add(chkUseTieredAdmin, "chkUseTieredAdmin", K::CheckBox, kForm, kTieredAdminCaption,
          {8220, 120, 1695, 255});
    t.add(fmeAdmin, "fmeAdmin", K::Frame, kForm, u"Tiered Admin", {8220, 420, 6555, 8835});

    const int weaponLefts[] = {120, 1980};
    t.flagColumns("chkWeapon", Frame1, kWeapons, kWeaponWidths, 7, weaponLefts, chkWeapon);
    const int singleLeft[] = {120};
    t.flagColumns("chkGrenade", Frame2, kGrenades, kGrenadeWidths, kGrenadeCount, singleLeft,
                  chkGrenade);
    t.flagColumns("chkSettings", Frame4, kSettings, kSettingWidths, kSettingCount, singleLeft,
                  chkSettings);
    t.add(Label1, "Label1", K::Label, Frame4, kFrequencyCaption, {120, 2160, 1635, 255});
    t.add(txtFrequency, "txtFrequency", K::TextBox, Frame4, kFrequencyDefault,
          {1860, 2100, 375, 285});

    t.table()[txtFrequency].label = Label1;

    for (int k = 0; k < kMessageCount; ++k) {
        t.add(txtMessage(k), arrayName("txtMessage", k), K::TextBox, Frame3, defaultMessage(k),
              {60, 240 + 300 * k, 7935, 285});
        t.table()[txtMessage(k)].screenReaderName = u"Message " + decimal(k + 1);
    }

    for (int k = 0; k < kPasswordCount; ++k) {
        t.add(Label2(k), arrayName("Label2", k), K::Label, fmePassword, kPasswords[k].caption,
              {120, 240 + 360 * k, 2235, 195});
        t.add(txtPass(k), arrayName("txtPass", k), K::TextBox, fmePassword,
              kPasswords[k].defaultText, {2400, 180 + 360 * k, 1815, 285});
        t.table()[txtPass(k)].label = Label2(k);
    }
    t.add(Label3, "Label3", K::Label, fmePassword, kNote, {4320, 240, 3495, 615});

    for (int i = 0; i < kCommandRowCapacity; ++i) {
        const int left = kGridColumnLefts[i / kGridRowsPerColumn];
        const int line = kGridLineStep * (i % kGridRowsPerColumn);
        t.add(lblCommand(i), arrayName("lblCommand", i), K::Label, fmeAdmin, u"A",
              {left, 480 + line, 975, 195});
        t.add(fmeAdminLevel(i), arrayName("fmeAdminLevel", i), K::Frame, fmeAdmin, {},
              {left + 1020, 300 + line, 1035, 435});
        for (int b = 0; b < kAccessLevelCount; ++b) {
            t.add(levelButton(i, b), arrayName(kLevelButtonNames[b], i), K::OptionButton,
                  fmeAdminLevel(i), {}, {kLevelButtonLefts[b], 180, 195, 195}, b == 0 ? 1 : 0);
            t.table()[levelButton(i, b)].levelName = kAccessLevelNames[b];
        }
    }

    t.table()[fmeAdmin].enabled = false;
    t.table()[fmePassword].enabled = false;
    return std::move(t.table());
}

} // namespace

const std::vector<ControlSpec> &formControls()
{
    static const std::vector<ControlSpec> table = buildTable();
    return table;
}

Twips placeOnForm(int id)
{
    const std::vector<ControlSpec> &table = formControls();
    Twips place = table[id].place;
    for (int frame = table[id].container; frame != ctl::kForm; frame = table[frame].container) {
        place.left += table[frame].place.left;
        place.top += table[frame].place.top;
    }
    return place;
}

bool isInside(int id, int frame)
{
    const std::vector<ControlSpec> &table = formControls();
    for (int up = table[id].container; up != ctl::kForm; up = table[up].container) {
        if (up == frame)
            return true;
    }
    return false;
}

} // namespace quorlex
