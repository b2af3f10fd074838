#include "form1.h"

#include "configwriter.h"
#include "controltable.h"
#include "platform.h"

namespace quorlex
{

Form1::Form1(Face &face, Text outputFolder) : m_face(face), m_outputFolder(std::move(outputFolder))
{
}

void Form1::load()
{
    const std::vector<Text> &names = commandNames();
    for (size_t i = 0; i < names.size(); ++i)
        m_face.setText(ctl::lblCommand(int(i)), names[i]);
    for (int i = int(names.size()); i < kCommandRowCapacity; ++i) {
        m_face.showControl(ctl::lblCommand(i), false);
        m_face.showControl(ctl::fmeAdminLevel(i), false);
    }
}

void Form1::checkFolder()
{
    const FolderAccess access = probeFolder(m_outputFolder);
    if (!access.writable)
        m_face.showFolderRefusal(m_outputFolder, access);
}

Text Form1::accessibleName(int id) const
{
    const ControlSpec &spec = formControls()[id];
    switch (spec.kind) {
    case ControlKind::OptionButton: {
        const int row = (spec.container - ctl::fmeAdminLevel(0)) / ctl::fmeAdminLevel.step;
        return m_face.text(ctl::lblCommand(row)) + u": " + spec.levelName;
    }
    case ControlKind::TextBox:
        return spec.label >= 0 ? m_face.text(spec.label) : spec.screenReaderName;
    default:
        return {};
    }
}

void Form1::click(int id)
{
    if (id >= ctl::chkSettings(0) && id < ctl::chkSettings(kSettingCount))
        chkSettingsClick(id - ctl::chkSettings(0));
    else if (id == ctl::chkUseTieredAdmin)
        chkUseTieredAdminClick();
    else if (id == ctl::Command1)
        command1Click();
}

ConfigRecord Form1::readRecord() const
{
    const auto ticked = [this](int id) { return m_face.checkState(id) == 1; };
    ConfigRecord record;
    for (int i = 0; i < kWeaponCount; ++i)
        record.weaponBan[i] = ticked(ctl::chkWeapon(i));
    for (int i = 0; i < kGrenadeCount; ++i)
        record.grenadeBan[i] = ticked(ctl::chkGrenade(i));
    for (int i = 0; i < kSettingCount; ++i)
        record.settings[i] = ticked(ctl::chkSettings(i));
    record.messageFrequency = m_face.text(ctl::txtFrequency);
    record.useTieredAdmin = ticked(ctl::chkUseTieredAdmin);
    for (int i = 0; i < kPasswordCount; ++i)
        record.passwords[i] = m_face.text(ctl::txtPass(i));
    // The writer visits only the rows the catalogue fills; the others are never read.
    const int rows = int(commandNames().size());
    for (int i = 0; i < rows; ++i) {
        // Full is whatever is left when none of the other three is selected.
        AccessLevel level = AccessLevel::Full;
        for (int b = 0; b < kAccessLevelCount - 1; ++b) {
            if (m_face.isSelected(ctl::levelButton(i, b))) {
                level = AccessLevel(b);
                break;
            }
        }
        record.commands[i] = {m_face.text(ctl::lblCommand(i)), level};
    }
    for (int i = 0; i < kMessageCount; ++i)
        record.messages[i] = m_face.text(ctl::txtMessage(i));
    return record;
}

void Form1::chkSettingsClick(int index)
{
    if (index != kSettingUseIPBan || m_face.checkState(ctl::chkSettings(index)) != 1)
        return;
    m_face.showMessage(kIpBannerTitle, kIpBannerText);
    m_face.setCheckState(ctl::chkSettings(index), 0);
}

void Form1::chkUseTieredAdminClick()
{
    const bool on = m_face.checkState(ctl::chkUseTieredAdmin) != 0;
    m_face.enableControl(ctl::fmeAdmin, on);
    m_face.enableControl(ctl::fmePassword, on);
}

void Form1::command1Click()
{
    ConfigRecord record = readRecord();
    WriterHooks hooks;
    hooks.warn = [this](const Text &title, const Text &text) { m_face.showMessage(title, text); };
    hooks.messageShortened = [this](int slot, const Text &text) {
        m_face.setText(ctl::txtMessage(slot), text);
    };
    const WriteResult result = writeConfigFile(record, m_outputFolder, hooks);
    if (!result.ok) {
        m_face.showMessage(kErrorTitle, u"The configuration file could not be written:\n" +
                                            result.path + u"\n\n" + result.reason +
                                            u"\n\nAn earlier file of that name is left unchanged.");
    }
}

} // namespace quorlex
