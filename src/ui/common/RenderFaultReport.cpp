#include "ui/common/RenderFaultReport.h"

namespace quorvan {

void BeginRenderFaultCheck()
{
}

void EndRenderFaultCheck(QWidget*, const QString&)
{
}

} // namespace quorvan
