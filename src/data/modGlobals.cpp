#include "data/modGlobals.h"

#include <vector>

namespace quorvan {

// A document's file name is its own to set; the program-wide name is the one
// place that may write it directly, as the code written against it expects.
QString& ProgramFileNameRef()
{
    return RomDocument::Program().fileName_;
}

RomBuffer& RomImage = RomDocument::Program().image();
QString& RomFileName = ProgramFileNameRef();
StageTable& Stages = RomDocument::Program().stages();
std::int16_t& CurrentStage = RomDocument::Program().currentStage();

namespace {

std::vector<void (*)()>& ResetHooks()
{
    static std::vector<void (*)()> hooks;
    return hooks;
}

} // namespace

void InitStages()
{
    Stages = BaseStages();
}

void RegisterGlobalsReset(void (*reset)())
{
    ResetHooks().push_back(reset);
}

void ResetGlobals()
{
    RomDocument::Program().Reset();
    for (const auto reset : ResetHooks())
        reset();
}

} // namespace quorvan
