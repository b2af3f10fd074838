#pragma once

// The tool's single window. It owns every value of the configuration: each lives in one of its
// 410 controls, built from the control table, until "Create Config File" reads them out.

#include "configrecord.h"

#include <QHash>
#include <QWidget>

#include <array>

class QCheckBox;
class QGroupBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QRadioButton;

namespace quorlex
{

class Form1 : public QWidget
{
    Q_OBJECT

public:
    explicit Form1(QWidget *parent = nullptr);

    // Names the command rows from the catalogue and hides the rows it does not fill.
    void load();

    // The window's present state as the writer reads it.
    ConfigRecord readRecord() const;

    // Where "Create Config File" writes: the program's own folder unless a test moves it.
    void setOutputFolder(const QString &folder) { m_outputFolder = folder; }

private:
    template <typename T> T *control(const QString &name) const;
    void connectHandlers();
    void chkSettingsClick(int index);
    void chkUseTieredAdminClick();
    void command1Click();

    std::array<QCheckBox *, kWeaponCount> m_chkWeapon{};
    std::array<QCheckBox *, kGrenadeCount> m_chkGrenade{};
    std::array<QCheckBox *, kSettingCount> m_chkSettings{};
    std::array<QLineEdit *, kMessageCount> m_txtMessage{};
    std::array<QLineEdit *, kPasswordCount> m_txtPass{};
    std::array<QLabel *, kCommandRowCapacity> m_lblCommand{};
    std::array<QGroupBox *, kCommandRowCapacity> m_fmeAdminLevel{};
    // Per row, the option buttons in level order: Disabled, Low, Intermediate, Full.
    std::array<std::array<QRadioButton *, kAccessLevelCount>, kCommandRowCapacity> m_levels{};
    QCheckBox *m_chkUseTieredAdmin = nullptr;
    QLineEdit *m_txtFrequency = nullptr;
    QGroupBox *m_fmeAdmin = nullptr;
    QGroupBox *m_fmePassword = nullptr;
    QPushButton *m_command1 = nullptr;
    QString m_outputFolder;
    QHash<QString, QWidget *> m_controls;
};

} // namespace quorlex
