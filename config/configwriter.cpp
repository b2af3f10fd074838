#include "configwriter.h"

#include "filetext.h"
#include "platform.h"

namespace quorlex
{

namespace
{

// Builds the file's bytes one CR LF terminated line at a time.
class FileLines
{
public:
    void line(TextView text)
    {
        m_bytes += toCodePage(text);
        m_bytes += "\r\n";
    }
    // Free text from the window: it must not be able to end or split its line.
    void line(TextView prefix, TextView freeText) { line(Text(prefix) + writtenForm(freeText)); }
    // The two empty lines that separate sections.
    void separator() { line(u"\r\n"); }

    template <std::size_t N>
    void flags(const std::array<FlagEntry, N> &catalogue, const std::array<bool, N> &values)
    {
        for (std::size_t i = 0; i < N; ++i)
            flag(catalogue[i].key, values[i]);
    }
    void flag(TextView key, bool on) { line(Text(key) + u'=' + (on ? u'1' : u'0')); }

    const std::string &bytes() const { return m_bytes; }

private:
    std::string m_bytes;
};

void writeCommands(FileLines &out, const ConfigRecord &record)
{
    out.line(u"[Commands]");
    const size_t rows = commandNames().size();
    for (size_t i = 0; i < rows; ++i) {
        const CommandRow &row = record.commands[i];
        if (row.level == AccessLevel::Disabled)
            continue;
        out.line(writtenForm(row.name) + u'=' + accessLevelDigit(row.level));
    }
}

void writeMessages(FileLines &out, ConfigRecord &record, const WriterHooks &hooks)
{
    out.line(u"[Messages]");
    for (int slot = 0; slot < kMessageCount; ++slot) {
        const auto [text, cut] = writtenFormLimited(record.messages[slot], kMessageLimit);
        if (cut) {
            if (hooks.warn)
                hooks.warn(kWarningTitle, messageTooLongText(slot));
            record.messages[slot] = text;
            if (hooks.messageShortened)
                hooks.messageShortened(slot, text);
        }
        out.line(u'<' + decimal(slot) + u'>' + text);
    }
}

} // namespace

Text configFilePath(const Text &folder)
{
    return folder + kPathSeparator + kConfigFileName;
}

Text messageTooLongText(int slot)
{
    return u"Message " + decimal(slot + 1) + u" too long!";
}

WriteResult writeConfigFile(ConfigRecord &record, const Text &folder, const WriterHooks &hooks)
{
    WriteResult result;
    result.path = configFilePath(folder);

    // Opened before anything is shown, so that a folder that cannot take the file gives no
    // warnings first.
    FileReplacement file(result.path);
    result.reason = file.open();
    if (!result.reason.empty())
        return result;

    FileLines out;
    out.line(u"[WeaponBan]");
    out.flags(kWeapons, record.weaponBan);
    out.separator();
    out.line(u"[GrenadeBan]");
    out.flags(kGrenades, record.grenadeBan);
    out.separator();
    out.line(u"[Settings]");
    out.flags(kSettings, record.settings);
    const bool frequencyIsNumber = isFrequencyNumber(record.messageFrequency);
    out.line(Text(kFrequencyKey) + u'=',
             frequencyIsNumber ? TextView(record.messageFrequency) : kFrequencyDefault);
    out.flag(kTieredAdminKey, record.useTieredAdmin);
    out.separator();
    if (record.useTieredAdmin) {
        out.line(u"[Password]");
        for (int i = 0; i < kPasswordCount; ++i)
            out.line(Text(kPasswords[i].key) + u'=', record.passwords[i]);
        out.separator();
        writeCommands(out, record);
        out.separator();
    }
    writeMessages(out, record, hooks);

    result.reason = file.commit(out.bytes());
    result.ok = result.reason.empty();
    return result;
}

} // namespace quorlex
