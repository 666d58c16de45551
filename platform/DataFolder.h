#pragma once

#include <string>

// Where this user's programs keep their data, in UTF-8: $XDG_DATA_HOME (or ~/.local/share) on
// Linux, the roaming application data folder on Windows; empty where there is none. The
// practice records live in its "Pellarin" folder, where the window's Qt puts them too. One
// implementation per system.
namespace pellarin {

std::string UserDataFolder();

}  // namespace pellarin
