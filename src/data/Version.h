#pragma once
// The program's version, shown in the main window's caption, the about box and
// the e-mail subject. The numbers come from the CMake project version.

#include <QString>

namespace quorvan {

#ifndef QUORVAN_VERSION_MAJOR
#define QUORVAN_VERSION_MAJOR 0
#endif
#ifndef QUORVAN_VERSION_MINOR
#define QUORVAN_VERSION_MINOR 4
#endif

inline constexpr int kVersionMajor = QUORVAN_VERSION_MAJOR;
inline constexpr int kVersionMinor = QUORVAN_VERSION_MINOR;
inline constexpr const char* kProgramTitle = "Quorvan";

// "major.minor" as plain decimals without leading zeros: "0.4", "1.12".
inline QString VersionText(int major = kVersionMajor, int minor = kVersionMinor)
{
    return QString::number(major) + QLatin1Char('.') + QString::number(minor);
}

// The main window's caption: "Quorvan V0.4".
inline QString MainCaption(int major = kVersionMajor, int minor = kVersionMinor)
{
    return QStringLiteral("Quorvan V") + VersionText(major, minor);
}

} // namespace quorvan
