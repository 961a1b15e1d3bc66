#pragma once

// The icon of Tidemarker's windows: the icon theme's "tidemarker", else the gauge's dial. Set as
// the first window is made, not at start, where the theme lookup alone took longer than all the
// tray icon needs.
namespace WindowIcon {

void installOnce();

} // namespace WindowIcon
