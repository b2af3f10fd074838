#include "configrecord.h"

namespace quorlex
{

const std::array<FlagEntry, kWeaponCount> kWeapons = {{
    {u"shotgun", u"Shotgun", false},
    {u"pulserifle", u"Pulse Rifle", false},
    {u"grenadelauncher", u"Grenade Launcher", false},
    {u"flamethrower", u"Flamethrower", false},
    {u"smartgun", u"Smartgun", true},
    {u"sadar", u"Sadar", false},
    {u"minigun", u"Minigun", true},
    {u"railgun", u"Railgun", false},
    {u"predpistol", u"Predpistol", true},
    {u"speargun", u"Speargun", false},
    {u"shouldercannon", u"Shoulder Cannon", false},
    {u"disc", u"Disc", true},
    {u"netgun", u"Netgun", false},
    {u"stickybomb", u"Sticky Bombs", false},
}};

const std::array<FlagEntry, kGrenadeCount> kGrenades = {{
    {u"pulse", u"Pulse Grenades", false},
    {u"timed", u"Timed Grenades", false},
    {u"proxy", u"Proxy Grenades", true},
    {u"emp", u"EMP Grenades", false},
    {u"spider", u"Spider Grenades", true},
}};

// The captions of 4 and 5 end in a blank, as the module's documentation shows them.
const std::array<FlagEntry, kSettingCount> kSettings = {{
    {u"useIPBan", u"Use External IP Banner", false},
    {u"hardcoreevac", u"Use Hardcore Evac", true},
    {u"block<name>", u"Block <name> command", false},
    {u"adminpeep", u"Use Admin Peep Mode", false},
    {u"allowNPC", u"Allow NPCs ", false},
    {u"IDsInName", u"Use ID's in names ", true},
}};

const std::array<PasswordEntry, kPasswordCount> kPasswords = {{
    {u"L1Pass", u"Low Access Password", u"greenharbor"},
    {u"L2Pass", u"Intermediate Access Password", u"silvermountainrivers"},
}};

Text defaultMessage(int slot)
{
    switch (slot) {
    case 0:
        return u"QUORLEX server extension by the QUORLEX authors - details at "
               u"https://quorlex.example.org/";
    case 1:
        return u"Dont like the rules??? Then leave and rent your own server";
    default:
        return {};
    }
}

namespace
{
template <std::size_t N> std::array<bool, N> defaultsOf(const std::array<FlagEntry, N> &catalogue)
{
    std::array<bool, N> flags{};
    for (std::size_t i = 0; i < N; ++i)
        flags[i] = catalogue[i].defaultOn;
    return flags;
}
} // namespace

ConfigRecord::ConfigRecord()
    : weaponBan(defaultsOf(kWeapons)), grenadeBan(defaultsOf(kGrenades)),
      settings(defaultsOf(kSettings)), messageFrequency(kFrequencyDefault)
{
    for (int i = 0; i < kPasswordCount; ++i)
        passwords[i] = kPasswords[i].defaultText;
    const std::vector<Text> &names = commandNames();
    for (size_t i = 0; i < names.size(); ++i)
        commands[i].name = names[i];
    for (int i = 0; i < kMessageCount; ++i)
        messages[i] = defaultMessage(i);
}

} // namespace quorlex
