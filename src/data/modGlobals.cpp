#include "data/modGlobals.h"

#include "graphics/clsNesTiles.h"

namespace quorvan {

RomBuffer RomImage;
QString RomFileName;
StageTable Stages{};
std::int16_t CurrentStage = 0;

void InitStages()
{
    Stages = BaseStages();
}

void ResetGlobals()
{
    RomImage = RomBuffer{};
    RomFileName.clear();
    Stages = StageTable{};
    CurrentStage = 0;
    ResetGraphicsGlobals();
}

} // namespace quorvan
