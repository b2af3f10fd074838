#include "controltable.h"

#include "configrecord.h"

#include <algorithm>

namespace quorlex
{

namespace
{

using K = ControlKind;

const QString kForm = QString::fromLatin1(kFormName);

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

const char kNote[] = "NOTE: Full access uses the password set in the serverdata file. If tiered "
                     "admin is not enabled the standard password set in serverdata is used.";

void add(std::vector<ControlSpec> &table, const QString &name, ControlKind kind,
         const QString &container, const QString &caption, const QRect &twips, int tab,
         int state = 0, bool enabled = true, const QString &levelName = QString())
{
    table.push_back({name, kind, container, caption, twips, tab, state, enabled, levelName});
}

QString latin1(const char *text)
{
    return QString::fromLatin1(text);
}

template <std::size_t N>
void addFlagColumn(std::vector<ControlSpec> &out, const char *base, const QString &frame,
                   const std::array<FlagEntry, N> &catalogue, const int (&widths)[N],
                   int rowsPerColumn, const int columnLefts[], int firstTab)
{
    for (int k = 0; k < int(N); ++k) {
        const QRect place(columnLefts[k / rowsPerColumn], 300 + 300 * (k % rowsPerColumn),
                          widths[k], 255);
        add(out, arrayName(base, k), K::CheckBox, frame, latin1(catalogue[k].caption), place,
            firstTab + k, catalogue[k].defaultOn ? 1 : 0);
    }
}

std::vector<ControlSpec> buildTable()
{
    std::vector<ControlSpec> t;
    t.reserve(410);
    const QString frame1 = QStringLiteral("Frame1");
    const QString frame2 = QStringLiteral("Frame2");
    const QString frame3 = QStringLiteral("Frame3");
    const QString frame4 = QStringLiteral("Frame4");
    const QString password = QStringLiteral("fmePassword");
    const QString admin = QStringLiteral("fmeAdmin");

    add(t, frame1, K::Frame, kForm, QStringLiteral("Banned Weapons"), {60, 60, 3795, 2535}, 0);
    add(t, frame2, K::Frame, kForm, QStringLiteral("Banned Grenades"), {3960, 60, 1755, 2535}, 15);
    add(t, frame4, K::Frame, kForm, QStringLiteral("Settings"), {5820, 60, 2355, 2535}, 32);
    add(t, password, K::Frame, kForm, QStringLiteral("Password"), {60, 2640, 8115, 975}, 404, 0,
        false);
    add(t, frame3, K::Frame, kForm, QStringLiteral("Messages"), {60, 3660, 8115, 3375}, 21);
    add(t, QStringLiteral("Command1"), K::PushButton, kForm, QStringLiteral("Create Config File"),
        {6660, 7080, 1515, 315}, 41);
    add(t, QStringLiteral("chkUseTieredAdmin"), K::CheckBox, kForm, latin1(kTieredAdminCaption),
        {8220, 120, 1695, 255}, 43);
    add(t, admin, K::Frame, kForm, QStringLiteral("Tiered Admin"), {8220, 420, 6555, 8835}, 42, 0,
        false);

    const int weaponLefts[] = {120, 1980};
    addFlagColumn(t, "chkWeapon", frame1, kWeapons, kWeaponWidths, 7, weaponLefts, 1);
    const int singleLeft[] = {120};
    addFlagColumn(t, "chkGrenade", frame2, kGrenades, kGrenadeWidths, kGrenadeCount, singleLeft,
                  16);
    addFlagColumn(t, "chkSettings", frame4, kSettings, kSettingWidths, kSettingCount, singleLeft,
                  33);
    add(t, QStringLiteral("Label1"), K::Label, frame4, latin1(kFrequencyCaption),
        {120, 2160, 1635, 255}, 40);
    add(t, QStringLiteral("txtFrequency"), K::TextBox, frame4, latin1(kFrequencyDefault),
        {1860, 2100, 375, 285}, 39);

    for (int k = 0; k < kMessageCount; ++k) {
        add(t, arrayName("txtMessage", k), K::TextBox, frame3, defaultMessage(k),
            {60, 240 + 300 * k, 7935, 285}, 22 + k);
    }

    for (int k = 0; k < kPasswordCount; ++k) {
        add(t, arrayName("Label2", k), K::Label, password, latin1(kPasswords[k].caption),
            {120, 240 + 360 * k, 2235, 195}, 405 + 2 * k);
        add(t, arrayName("txtPass", k), K::TextBox, password, latin1(kPasswords[k].defaultText),
            {2400, 180 + 360 * k, 1815, 285}, 406 + 2 * k);
    }
    add(t, QStringLiteral("Label3"), K::Label, password, latin1(kNote), {4320, 240, 3495, 615},
        409);

    for (int i = 0; i < kCommandRowCapacity; ++i) {
        const int left = kGridColumnLefts[i / kGridRowsPerColumn];
        const int line = kGridLineStep * (i % kGridRowsPerColumn);
        const int tab = 44 + 6 * i;
        const QString rowFrame = arrayName("fmeAdminLevel", i);
        add(t, arrayName("lblCommand", i), K::Label, admin, QStringLiteral("A"),
            {left, 480 + line, 975, 195}, tab);
        add(t, rowFrame, K::Frame, admin, QString(), {left + 1020, 300 + line, 1035, 435}, tab + 1);
        for (int b = 0; b < kAccessLevelCount; ++b) {
            add(t, arrayName(kLevelButtonNames[b], i), K::OptionButton, rowFrame, QString(),
                {kLevelButtonLefts[b], 180, 195, 195}, tab + 2 + b, b == 0 ? 1 : 0, true,
                latin1(kAccessLevelNames[b]));
        }
    }

    std::sort(t.begin(), t.end(),
              [](const ControlSpec &a, const ControlSpec &b) { return a.tab < b.tab; });
    return t;
}

} // namespace

QString arrayName(const char *base, int index)
{
    // Built some 800 times at start-up (the table, then the window's look-ups); two arg() calls
    // parse their format string each time, plain appends do not.
    QString name = QLatin1String(base);
    name += QLatin1Char('(');
    name += QString::number(index);
    name += QLatin1Char(')');
    return name;
}

const std::vector<ControlSpec> &formControls()
{
    static const std::vector<ControlSpec> table = buildTable();
    return table;
}

} // namespace quorlex
