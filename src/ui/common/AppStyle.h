#pragma once
// The program's application style: the platform's own style, unchanged in
// every look, with one cost taken out of start-up. Creating a menu bar asks the
// style for the menu bar's overflow-arrow icon, and the plain Fusion style reads
// it from PNG files without naming their format, which makes Qt load every
// image-format plugin (and their libraries) just to ask them. This style reads
// the same files as the PNGs they are.


#include <QString>

namespace quorvan {

// Installs the program's style on the application; call before any widget is created.
void UseProgramStyle();

// The name of the style the application draws with ("fusion", "windows"...),
// seen through the program's style; empty when there is none.
QString ApplicationStyleName();

} // namespace quorvan
