#pragma once
// The picture exports for scripts (see BatchCommands.h):
//   quorvan --export-room STAGE ROOM [--scale S] IMAGE OUT.png
//   quorvan --export-stage STAGE [--scale S] IMAGE OUT.png
// STAGE 1..9 as in the Level menu; ROOM decimal, or hexadecimal after "0x", at
// most the last room of the stage's room list; S 1 or 2 (default 2); OUT must
// end in ".png" and may not be IMAGE. The pixels are the level view's.

#include <QStringList>

namespace quorvan {

inline constexpr const char* kExportRoomOperands = "STAGE ROOM [--scale 1|2] IMAGE OUT.png";
inline constexpr const char* kExportStageOperands = "STAGE [--scale 1|2] IMAGE OUT.png";

// Each takes the arguments after its name and returns the exit status.
int ExportRoomCommand(const QStringList& operands);
int ExportStageCommand(const QStringList& operands);

} // namespace quorvan
