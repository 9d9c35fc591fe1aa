#pragma once
// Pictures of a room, or of a stage's rooms side by side, for export: exactly
// the level view's pixels (no grid, no marks; kFaultColour wherever the view
// shows it), as 8-bit indexed images, and their PNG encoding.
//
// The pictures are indexed because every pixel is one of the 64 NES colours or
// the fault colour: a quarter of the memory of 32-bit pixels, and a quarter of
// the bytes for the PNG encoder to compress.

#include "graphics/Compositor.h"

#include <QByteArray>
#include <QImage>
#include <QString>

#include <optional>

namespace quorvan {

inline constexpr int kMinExportScale = 1;
inline constexpr int kMaxExportScale = 2;

// The highest room a stage map shows: the highest room of the stage row's
// room list (0 when the list names none), the last room the level view's
// scroll bar reaches.
int StageMapLastRoom(const StageSource& source);

// Room `room` (0..255) at `scale` (1..kMaxExportScale) as a Format_Indexed8
// image of 256 * scale by 192 * scale pixels whose colour table holds each
// colour once. A null image for arguments out of range, or when there is not
// memory enough. Faults are counted as ComposeRoom counts them.
QImage RoomPicture(const StageSource& source, int room, int scale, RenderFaults& faults);

// Rooms 0..lastRoom (lastRoom 0..255) side by side in room order, one row, at
// `scale`, as for RoomPicture: (lastRoom + 1) * 256 * scale by 192 * scale.
QImage StageMapPicture(const StageSource& source, int lastRoom, int scale, RenderFaults& faults);

// The image as PNG file bytes; nothing, with the reason in `error`, when it
// cannot be encoded.
std::optional<QByteArray> EncodePng(const QImage& image, QString* error = nullptr);

// Writes picture bytes as the whole file at `path` through the program's file
// writer (atomically: no partial file on failure), replacing a file that is
// there (the caller has asked). The reason on failure, nothing on success.
std::optional<QString> WritePictureFile(const QString& path, const QByteArray& bytes);

} // namespace quorvan
