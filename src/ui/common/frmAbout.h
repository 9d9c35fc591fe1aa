#pragma once
// The about box: title, version, description with the web site and e-mail
// address, a disclaimer, "OK" and "&System Info...". A modeless, fixed-size
// tool window pinned above the main window; closing it deletes it.

#include <QDialog>
#include <QSettings>
#include <QString>

#include <array>
#include <functional>
#include <optional>

class QLabel;
class QPushButton;

namespace quorvan {

class PictureBox;

// A root of keys that GetKeyValue reads through QSettings. With the native
// format the location names a registry root ("HKEY_LOCAL_MACHINE"), and a key
// path is opened below it; with a file format (IniFormat) the location is the
// file and a key path is a group in it. An empty location has no keys.
struct SettingsRoot {
    QString location;
    QSettings::Format format = QSettings::NativeFormat;
};

// The local-machine root of the system registry; empty where there is none.
SettingsRoot LocalMachineRoot();

class frmAbout : public QDialog {
    Q_OBJECT
public:
    explicit frmAbout(QWidget* owner);

    // Looks for the system information tool and starts it; shows "System
    // Information Is Unavailable At This Time" when there is none or it fails
    // to start. Never throws.
    void StartSysInfo();

    // Reads value `SubKeyRef` of key `KeyName` (a backslash-separated path)
    // below `KeyRoot`. Returns false and sets `KeyVal` empty when the key or
    // the value is missing or the settings cannot be read. Otherwise returns
    // true and sets `KeyVal` by what QSettings hands back:
    //   QString     (registry REG_SZ / REG_EXPAND_SZ; INI text or @String)
    //               -> the text, less one trailing NUL if it was stored with
    //                  its terminator; a text stored without keeps every character
    //   QByteArray  (INI @ByteArray: a string's raw bytes)
    //               -> the same rule on the bytes, decoded as local 8-bit text
    //   int / uint  (registry REG_DWORD; INI @Variant of a 32-bit number)
    //               -> the decimal text of the unsigned 32-bit value
    //   anything else (64-bit numbers, lists, ...) -> `KeyVal` left unchanged.
    static bool GetKeyValue(const SettingsRoot& KeyRoot, const QString& KeyName, const QString& SubKeyRef,
                            QString& KeyVal);

    // Test seams: where StartSysInfo looks the tool up (nullopt: the local
    // machine root) and how it starts a program (empty: detached QProcess).
    // The starter returns true when the program started.
    using ProgramStarter = std::function<bool(const QString& path)>;
    static void SetSysInfoRootForTesting(std::optional<SettingsRoot> root);
    static void SetProgramStarterForTesting(ProgramStarter starter);

    PictureBox* picIcon() const { return picIcon_; }
    QLabel* lblTitle() const { return lblTitle_; }
    QLabel* lblVersion() const { return lblVersion_; }
    QLabel* lblDescription() const { return lblDescription_; }
    QLabel* lblDisclaimer() const { return lblDisclaimer_; }
    QWidget* Line1(int index) const { return line1_.at(static_cast<std::size_t>(index)); }
    QPushButton* cmdOK() const { return cmdOK_; }
    QPushButton* cmdSysInfo() const { return cmdSysInfo_; }

    // The fixed texts, for the labels and for anyone checking them.
    static QString DescriptionText();
    static QString DisclaimerText();

private:
    void CreateWidgets();
    void ConnectWidgets();
    void Form_Load();
    void cmdOK_Click();
    void cmdSysInfo_Click();

    // The tool's path, or empty when none is found.
    QString FindSysInfo() const;

    PictureBox* picIcon_ = nullptr;
    QLabel* lblTitle_ = nullptr;
    QLabel* lblVersion_ = nullptr;
    QLabel* lblDescription_ = nullptr;
    QLabel* lblDisclaimer_ = nullptr;
    std::array<QWidget*, 2> line1_{};
    QPushButton* cmdOK_ = nullptr;
    QPushButton* cmdSysInfo_ = nullptr;
};

} // namespace quorvan
