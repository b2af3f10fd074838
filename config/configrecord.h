#pragma once

// The complete set of values that one QUORLEX_CONFIG.txt carries, with the fixed catalogues
// that give them their order, file keys and window captions. Every run starts from the
// defaults built in here; nothing is read from disk.

#include "accesslevel.h"
#include "text.h"

#include <array>

namespace quorlex
{

// One yes/no value of a flag catalogue: its file key, the caption the window shows, its default.
struct FlagEntry {
    const char16_t *key;
    const char16_t *caption;
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
    const char16_t *key;
    const char16_t *caption;
    const char16_t *defaultText;
};
extern const std::array<PasswordEntry, kPasswordCount> kPasswords;

inline constexpr char16_t kFrequencyKey[] = u"messagefrequency";
inline constexpr char16_t kFrequencyCaption[] = u"Message Frequency";
inline constexpr char16_t kFrequencyDefault[] = u"2";
inline constexpr char16_t kTieredAdminKey[] = u"UseTieredAdmin";
inline constexpr char16_t kTieredAdminCaption[] = u"Use Tiered Admin?";

// Default texts of the message slots; slots without an entry start empty.
Text defaultMessage(int slot);

struct CommandRow {
    Text name;
    AccessLevel level = AccessLevel::Disabled;
};

struct ConfigRecord {
    ConfigRecord();

    std::array<bool, kWeaponCount> weaponBan{};
    std::array<bool, kGrenadeCount> grenadeBan{};
    std::array<bool, kSettingCount> settings{};
    Text messageFrequency;
    bool useTieredAdmin = false;
    std::array<Text, kPasswordCount> passwords;
    std::array<CommandRow, kCommandRowCapacity> commands;
    std::array<Text, kMessageCount> messages;
};

} // namespace quorlex
