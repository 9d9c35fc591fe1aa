#pragma once
// Program-wide state: the open image, its path, the stage table in effect and
// the current stage. The drawing state (colour table, renderer, draw surface)
// is declared in graphics/clsNesTiles.h. ResetGlobals() returns all of it to
// the state at program start, so that tests start clean.

#include "data/RomBuffer.h"
#include "data/Stages.h"

#include <QString>

#include <cstdint>

namespace quorvan {

extern RomBuffer RomImage;      // the whole open cartridge file
extern QString RomFileName;     // the file Save writes; empty until an Open succeeded
extern StageTable Stages;       // offsets in effect for the open image's layout
extern std::int16_t CurrentStage; // row of Stages that drawing and editing use

// Writes the base values into the stage table (rows 0..9; row 10 stays zero).
void InitStages();

// The row of Stages that drawing and editing use.
inline const StageInfo& CurrentStageInfo()
{
    return Stages[static_cast<std::size_t>(CurrentStage < 0 || CurrentStage >= kStageRows ? 0 : CurrentStage)];
}

// Back to the state at program start (no image, empty table, stage 0, no renderer).
void ResetGlobals();

} // namespace quorvan
