#include "configrecord.h"

namespace quorlex
{

const std::array<FlagEntry, kWeaponCount> kWeapons = {{
    {"shotgun", "Shotgun", false},
    {"pulserifle", "Pulse Rifle", false},
    {"grenadelauncher", "Grenade Launcher", false},
    {"flamethrower", "Flamethrower", false},
    {"smartgun", "Smartgun", true},
    {"sadar", "Sadar", false},
    {"minigun", "Minigun", true},
    {"railgun", "Railgun", false},
    {"predpistol", "Predpistol", true},
    {"speargun", "Speargun", false},
    {"shouldercannon", "Shoulder Cannon", false},
    {"disc", "Disc", true},
    {"netgun", "Netgun", false},
    {"stickybomb", "Sticky Bombs", false},
}};

const std::array<FlagEntry, kGrenadeCount> kGrenades = {{
    {"pulse", "Pulse Grenades", false},
    {"timed", "Timed Grenades", false},
    {"proxy", "Proxy Grenades", true},
    {"emp", "EMP Grenades", false},
    {"spider", "Spider Grenades", true},
}};

// The captions of 4 and 5 end in a blank, as the module's documentation shows them.
const std::array<FlagEntry, kSettingCount> kSettings = {{
    {"useIPBan", "Use External IP Banner", false},
    {"hardcoreevac", "Use Hardcore Evac", true},
    {"block<name>", "Block <name> command", false},
    {"adminpeep", "Use Admin Peep Mode", false},
    {"allowNPC", "Allow NPCs ", false},
    {"IDsInName", "Use ID's in names ", true},
}};

const std::array<PasswordEntry, kPasswordCount> kPasswords = {{
    {"L1Pass", "Low Access Password", "greenharbor"},
    {"L2Pass", "Intermediate Access Password", "silvermountainrivers"},
}};

QString defaultMessage(int slot)
{
    switch (slot) {
    case 0:
        return QStringLiteral("QUORLEX server extension by the QUORLEX authors - details at "
                              "https://quorlex.example.org/");
    case 1:
        return QStringLiteral("Dont like the rules??? Then leave and rent your own server");
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
      settings(defaultsOf(kSettings)), messageFrequency(QString::fromLatin1(kFrequencyDefault))
{
    for (int i = 0; i < kPasswordCount; ++i)
        passwords[i] = QString::fromLatin1(kPasswords[i].defaultText);
    const QStringList &names = commandNames();
    for (int i = 0; i < names.size(); ++i)
        commands[i].name = names[i];
    for (int i = 0; i < kMessageCount; ++i)
        messages[i] = defaultMessage(i);
}

} // namespace quorlex
