#include <cstdlib>

#include "DataFolder.h"

namespace pellarin {

std::string UserDataFolder() {
    // An XDG variable that is not an absolute path is to be ignored.
    if (const char* data = std::getenv("XDG_DATA_HOME"); data && data[0] == '/') return data;
    if (const char* home = std::getenv("HOME"); home && home[0] != '\0') return std::string(home) + "/.local/share";
    return {};
}

}  // namespace pellarin
