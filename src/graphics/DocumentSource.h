#pragma once
// What a view of a document draws from: its image, the stage table in effect
// and its current stage.

#include "data/RomDocument.h"
#include "graphics/Compositor.h"

namespace quorvan {

inline StageSource SourceOf(const RomDocument& document)
{
    return {document.image().bytes(), document.stages(), document.currentStage()};
}

} // namespace quorvan
