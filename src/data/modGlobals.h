#pragma once
// Program-wide state under the names the rest of the program reads it by: the
// open image, its path, the stage table in effect and the current stage. They
// are the parts of the program's document (RomDocument::Program()), so they
// always agree with what the windows show. The drawing state (colour table,
// renderer, draw surface) is declared in graphics/clsNesTiles.h.

#include "data/RomBuffer.h"
#include "data/RomDocument.h"
#include "data/Stages.h"

#include <QString>

#include <cstdint>

namespace quorvan {

extern RomBuffer& RomImage;        // the whole open cartridge file
extern QString& RomFileName;       // the file Save writes; empty until an Open succeeded
extern StageTable& Stages;         // offsets in effect for the open image's layout
extern std::int16_t& CurrentStage; // row of Stages that drawing and editing use

// Writes the base values into the stage table (rows 0..9; row 10 stays zero).
void InitStages();

// The row of Stages that drawing and editing use.
inline const StageInfo& CurrentStageInfo()
{
    return RomDocument::Program().currentStageInfo();
}

// Back to the state at program start: the program's document is reset (no
// image, empty table, stage 0, empty history) and so is every other piece of
// program-wide state that registered itself below (the renderer and its
// colour table).
void ResetGlobals();

// Adds `reset` to what ResetGlobals() runs. Program-wide state outside this
// library registers itself here, so that this library needs to know nothing of it.
void RegisterGlobalsReset(void (*reset)());

} // namespace quorvan
