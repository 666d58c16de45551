#include <windows.h>
#include <shlobj.h>

#include "DataFolder.h"

namespace pellarin {

std::string UserDataFolder() {
    PWSTR wide = nullptr;
    std::string folder;
    if (SHGetKnownFolderPath(FOLDERID_RoamingAppData, 0, nullptr, &wide) == S_OK) {
        const int n = WideCharToMultiByte(CP_UTF8, 0, wide, -1, nullptr, 0, nullptr, nullptr);
        if (n > 1) {
            folder.resize(static_cast<std::size_t>(n - 1));
            WideCharToMultiByte(CP_UTF8, 0, wide, -1, folder.data(), n, nullptr, nullptr);
        }
    }
    CoTaskMemFree(wide);
    for (char& c : folder) {
        if (c == '\\') c = '/';
    }
    return folder;
}

}  // namespace pellarin
