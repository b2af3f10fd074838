#include "form1.h"

#include "configwriter.h"
#include "controlbuilder.h"
#include "controltable.h"
#include "messagebox.h"

#include <QAccessibleWidget>
#include <QCheckBox>
#include <QCoreApplication>
#include <QDir>
#include <QFontDatabase>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>

namespace quorlex
{

namespace
{

const QString kIpBannerTitle = QStringLiteral("Update");
const QString kIpBannerText =
    QStringLiteral("The 3rd party ip log ban utility is no longer supported. please upgrade to "
                   "the integrated ip log/ban utility");

// The layout's 13-pixel rows and 65-pixel command labels were drawn for a small, narrow face.
// The window brings its own, compiled in, so that it looks the same and every caption fits its
// box on every system, Windows without Arial Narrow included: at 11 pixels PT Sans Narrow fits
// "locationdamage" (61 pixels) in its 65-pixel label.
QFont windowFont()
{
    static const int loaded =
        QFontDatabase::addApplicationFont(QStringLiteral(":/fonts/PTN57F.ttf"));
    Q_UNUSED(loaded);
    QFont font;
    font.setFamilies({QStringLiteral("PT Sans Narrow"), QStringLiteral("Liberation Sans Narrow"),
                      QStringLiteral("Arial Narrow")});
    font.setPixelSize(11);
    return font;
}

// Qt presents a plain top-level widget to screen readers as an unnamed filler; the tool's only
// window is presented as a window, so that its title is read when it takes the focus.
QAccessibleInterface *windowAccessible(const QString &className, QObject *object)
{
    if (className == QLatin1String(Form1::staticMetaObject.className()) && object->isWidgetType())
        return new QAccessibleWidget(static_cast<QWidget *>(object), QAccessible::Window);
    return nullptr;
}

} // namespace

template <typename T> T *Form1::control(const QString &name) const
{
    return static_cast<T *>(m_controls.value(name));
}

Form1::Form1(QWidget *parent)
    : QWidget(parent),
      m_outputFolder(QDir::toNativeSeparators(QCoreApplication::applicationDirPath()))
{
    static const bool accessibleAsWindow = (QAccessible::installFactory(windowAccessible), true);
    Q_UNUSED(accessibleAsWindow);
    setObjectName(QLatin1String(kFormName));
    setWindowTitle(QLatin1String(kFormCaption));
    setFont(windowFont());
    resize(kFormWidthTwips / kTwipsPerPixel, kFormHeightTwips / kTwipsPerPixel);

    m_controls = buildControls(this);
    for (int i = 0; i < kWeaponCount; ++i)
        m_chkWeapon[i] = control<QCheckBox>(arrayName("chkWeapon", i));
    for (int i = 0; i < kGrenadeCount; ++i)
        m_chkGrenade[i] = control<QCheckBox>(arrayName("chkGrenade", i));
    for (int i = 0; i < kSettingCount; ++i)
        m_chkSettings[i] = control<QCheckBox>(arrayName("chkSettings", i));
    for (int i = 0; i < kMessageCount; ++i) {
        m_txtMessage[i] = control<QLineEdit>(arrayName("txtMessage", i));
        m_txtMessage[i]->setAccessibleName(QStringLiteral("Message %1").arg(i + 1));
    }
    for (int i = 0; i < kPasswordCount; ++i) {
        m_txtPass[i] = control<QLineEdit>(arrayName("txtPass", i));
        control<QLabel>(arrayName("Label2", i))->setBuddy(m_txtPass[i]);
    }
    for (int i = 0; i < kCommandRowCapacity; ++i) {
        m_lblCommand[i] = control<QLabel>(arrayName("lblCommand", i));
        m_fmeAdminLevel[i] = control<QGroupBox>(arrayName("fmeAdminLevel", i));
        for (int b = 0; b < kAccessLevelCount; ++b)
            m_levels[i][b] = control<QRadioButton>(arrayName(kLevelButtonNames[b], i));
    }
    m_chkUseTieredAdmin = control<QCheckBox>(QStringLiteral("chkUseTieredAdmin"));
    m_txtFrequency = control<QLineEdit>(QStringLiteral("txtFrequency"));
    m_txtFrequency->setAlignment(Qt::AlignCenter);
    control<QLabel>(QStringLiteral("Label1"))->setBuddy(m_txtFrequency);
    m_fmeAdmin = control<QGroupBox>(QStringLiteral("fmeAdmin"));
    m_fmePassword = control<QGroupBox>(QStringLiteral("fmePassword"));
    m_command1 = control<QPushButton>(QStringLiteral("Command1"));

    for (int i = 0; i < kSettingCount; ++i)
        connect(m_chkSettings[i], &QCheckBox::clicked, this, [this, i] { chkSettingsClick(i); });
    connect(m_chkUseTieredAdmin, &QCheckBox::clicked, this, &Form1::chkUseTieredAdminClick);
    connect(m_command1, &QPushButton::clicked, this, &Form1::command1Click);

    m_chkWeapon[0]->setFocus();
}

void Form1::load()
{
    const QStringList &names = commandNames();
    for (int i = 0; i < names.size(); ++i) {
        m_lblCommand[i]->setText(names[i]);
        // A screen reader then says "kick, Intermediate" for a row's selected button.
        m_fmeAdminLevel[i]->setAccessibleName(names[i]);
        for (QRadioButton *button : m_levels[i])
            button->setAccessibleDescription(names[i]);
    }
    for (int i = int(names.size()); i < kCommandRowCapacity; ++i) {
        m_lblCommand[i]->hide();
        m_fmeAdminLevel[i]->hide();
    }
}

ConfigRecord Form1::readRecord() const
{
    const auto ticked = [](const QCheckBox *box) { return box->checkState() == Qt::Checked; };
    ConfigRecord record;
    for (int i = 0; i < kWeaponCount; ++i)
        record.weaponBan[i] = ticked(m_chkWeapon[i]);
    for (int i = 0; i < kGrenadeCount; ++i)
        record.grenadeBan[i] = ticked(m_chkGrenade[i]);
    for (int i = 0; i < kSettingCount; ++i)
        record.settings[i] = ticked(m_chkSettings[i]);
    record.messageFrequency = m_txtFrequency->text();
    record.useTieredAdmin = ticked(m_chkUseTieredAdmin);
    for (int i = 0; i < kPasswordCount; ++i)
        record.passwords[i] = m_txtPass[i]->text();
    for (int i = 0; i < kCommandRowCapacity; ++i) {
        const auto &buttons = m_levels[i];
        // Full is whatever is left when none of the other three is selected.
        AccessLevel level = AccessLevel::Full;
        for (int b = 0; b < kAccessLevelCount - 1; ++b) {
            if (buttons[b]->isChecked()) {
                level = AccessLevel(b);
                break;
            }
        }
        record.commands[i] = {m_lblCommand[i]->text(), level};
    }
    for (int i = 0; i < kMessageCount; ++i)
        record.messages[i] = m_txtMessage[i]->text();
    return record;
}

void Form1::chkSettingsClick(int index)
{
    if (index != kSettingUseIPBan || m_chkSettings[index]->checkState() != Qt::Checked)
        return;
    showMessage(this, kIpBannerTitle, kIpBannerText);
    m_chkSettings[index]->setCheckState(Qt::Unchecked);
}

void Form1::chkUseTieredAdminClick()
{
    const bool on = m_chkUseTieredAdmin->checkState() != Qt::Unchecked;
    m_fmeAdmin->setEnabled(on);
    m_fmePassword->setEnabled(on);
}

void Form1::command1Click()
{
    ConfigRecord record = readRecord();
    WriterHooks hooks;
    hooks.warn = [this](const QString &title, const QString &text) {
        showMessage(this, title, text);
    };
    hooks.messageShortened = [this](int slot, const QString &text) {
        m_txtMessage[slot]->setText(text);
        m_txtMessage[slot]->setCursorPosition(0);
    };
    const WriteResult result = writeConfigFile(record, m_outputFolder, hooks);
    if (!result.ok) {
        showMessage(this, QStringLiteral("Error"),
                    QStringLiteral("The configuration file could not be written:\n%1\n\n%2\n\n"
                                   "An earlier file of that name is left unchanged.")
                        .arg(result.path, result.reason));
    }
}

} // namespace quorlex
