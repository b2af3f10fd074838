#pragma once

// The tool's single window, whatever the toolkit: it owns every value of the configuration, each
// in one of the controls of the table, until "Create Config File" reads them out. The face tells
// it of every click on a check box or push button.

#include "configrecord.h"
#include "face.h"

namespace quorlex
{

inline constexpr char16_t kIpBannerTitle[] = u"Update";
inline constexpr char16_t kIpBannerText[] =
    u"The 3rd party ip log ban utility is no longer supported. please upgrade to the integrated "
    u"ip log/ban utility";
inline constexpr char16_t kErrorTitle[] = u"Error";
// The box at start when the program's folder takes no new file; each face adds what to do there.
inline constexpr char16_t kFolderRefusalTitle[] = u"Folder not writable";
inline constexpr char16_t kFolderRefusalHeading[] =
    u"QUORLEX_CONFIG.txt cannot be saved in the folder of this tool";

class Form1
{
public:
    // Writes into `outputFolder`: the program's own folder unless a test moves it.
    Form1(Face &face, Text outputFolder);

    // Names the command rows from the catalogue and hides the rows it does not fill. Runs once,
    // before the window is first shown.
    void load();

    // Tries the output folder for a new file, and has the face say so when it takes none. Runs
    // once, as the window opens and before it takes any input, so that nobody fills in the
    // whole window only to learn at the end that it cannot be saved there.
    void checkFolder();

    // What a screen reader calls the control where its caption does not say it: a text box by
    // its label ("Message Frequency") or its own name ("Message 1"); an option button by its
    // row's command and its level ("kick: Low"). Empty for the other controls.
    Text accessibleName(int id) const;

    // A click on the control `id`; only three kinds of control have a handler.
    void click(int id);

    // The window's present state as the writer reads it.
    ConfigRecord readRecord() const;

    void setOutputFolder(Text folder) { m_outputFolder = std::move(folder); }

private:
    void chkSettingsClick(int index);
    void chkUseTieredAdminClick();
    void command1Click();

    Face &m_face;
    Text m_outputFolder;
};

} // namespace quorlex
