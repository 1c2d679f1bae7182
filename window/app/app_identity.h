#pragma once
// The names the desktop knows the program by. Organization and application
// are both "tovrel", so a default-constructed QSettings keeps the window's
// settings in the user's configuration, $XDG_CONFIG_HOME/tovrel/tovrel.conf
// (~/.config/tovrel/tovrel.conf), never in the data file; the desktop entry
// and the icon are named tovrel as well.

namespace tovrel {

void nameApplication();

} // namespace tovrel
