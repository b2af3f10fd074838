#pragma once

// The complete set of values that one QUORLEX_CONFIG.txt carries, with the fixed catalogues
// that give them their order, file keys and window captions. Every run starts from the
// defaults built in here; nothing is read from disk.

#include "accesslevel.h"

#include <QString>

#include <array>

namespace quorlex
{

// One yes/no value of a flag catalogue: its file key, the caption the window shows, its default.
struct FlagEntry {
    const char *key;
    const char *caption;
    bool defaultOn;
};

inline constexpr int kWeaponCount = 14;
inline constexpr int kGrenadeCount = 5;
inline constexpr int kSettingCount = 6;
inline constexpr int kMessageCount = 10;
inline constexpr int kPasswordCount = 2;
// The longest server message the module accepts, in characters.
inline constexpr int kMessageLimit = 196;

extern const std::array<FlagEntry, kWeaponCount> kWeapons;
extern const std::array<FlagEntry, kGrenadeCount> kGrenades;
extern const std::array<FlagEntry, kSettingCount> kSettings;

// Indexes into kSettings that the window treats specially.
inline constexpr int kSettingUseIPBan = 0;

struct PasswordEntry {
    const char *key;
    const char *caption;
    const char *defaultText;
};
extern const std::array<PasswordEntry, kPasswordCount> kPasswords;

inline constexpr char kFrequencyKey[] = "messagefrequency";
inline constexpr char kFrequencyCaption[] = "Message Frequency";
inline constexpr char kFrequencyDefault[] = "2";
inline constexpr char kTieredAdminKey[] = "UseTieredAdmin";
inline constexpr char kTieredAdminCaption[] = "Use Tiered Admin?";

// Default texts of the message slots; slots without an entry start empty.
QString defaultMessage(int slot);

struct CommandRow {
    QString name;
    AccessLevel level = AccessLevel::Disabled;
};

struct ConfigRecord {
    ConfigRecord();

    std::array<bool, kWeaponCount> weaponBan{};
    std::array<bool, kGrenadeCount> grenadeBan{};
    std::array<bool, kSettingCount> settings{};
    QString messageFrequency;
    bool useTieredAdmin = false;
    std::array<QString, kPasswordCount> passwords;
    std::array<CommandRow, kCommandRowCapacity> commands;
    std::array<QString, kMessageCount> messages;
};

} // namespace quorlex
