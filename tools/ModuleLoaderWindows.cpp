#include <windows.h>

#include <string>

#include "ModuleLoader.h"

// Windows: the module is beside the program, where the installer puts every DLL.
void* LoadModuleEntry(const std::string& name, const char* entry, std::string& problem) {
    wchar_t self[MAX_PATH + 1];
    const DWORD length = GetModuleFileNameW(nullptr, self, MAX_PATH);
    if (length == 0 || length >= MAX_PATH) {
        problem = "找不到程序自己的位置";
        return nullptr;
    }
    std::wstring path(self, length);
    path.erase(path.find_last_of(L"\\/") + 1);
    path += std::wstring(name.begin(), name.end()) + L".dll";
    HMODULE module = LoadLibraryW(path.c_str());
    if (!module) {
        problem = "没有安装模块 " + name + ".dll，或者它无法加载";
        return nullptr;
    }
    if (FARPROC found = GetProcAddress(module, entry)) return reinterpret_cast<void*>(found);
    problem = "模块不完整：" + name + ".dll";
    return nullptr;
}
