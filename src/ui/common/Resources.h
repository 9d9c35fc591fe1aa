#pragma once
// The program's own resources (its icon, the menu bitmaps) live in the UI
// library. A static library links them in only when asked for them by name:
// call this before loading one.

namespace quorvan {

void EnsureResources();

} // namespace quorvan
