#pragma once
// The user's preferences, kept with QSettings under the application's
// organisation and name: the emulator to test a level in, the clean original
// image patches are made against, and the scale of picture exports.
//
// Load() reads what was saved, with defaults for what was not; Save() writes
// all of it (an emulator equal to the default is not written, so that the
// default keeps following what is installed). Nothing is cached: each Load()
// reads the settings afresh.

#include <QString>
#include <QStringList>

namespace quorvan {

struct Preferences {
    QString emulator;      // the emulator's command (a name on the PATH or a path)
    QString cleanOriginal; // the unmodified image; empty when not set
    int exportScale = 2;   // 1 or 2

    static Preferences Load();
    void Save() const;

    bool operator==(const Preferences&) const = default;

    // The emulators looked for on the PATH, in order of preference.
    static QStringList EmulatorCandidates();
    // The first candidate found on the PATH, or empty when there is none.
    static QString DefaultEmulator();
};

} // namespace quorvan
