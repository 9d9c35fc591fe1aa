#include "ui/common/Resources.h"

#include <QtGlobal>

// Q_INIT_RESOURCE must be used outside any namespace.
static void InitQuorvanResources()
{
    Q_INIT_RESOURCE(quorvan);
}

namespace quorvan {

void EnsureResources()
{
    static const bool registered = [] {
        InitQuorvanResources();
        return true;
    }();
    (void)registered;
}

} // namespace quorvan
