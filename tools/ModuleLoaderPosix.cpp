#include <dlfcn.h>
#include <unistd.h>

#include <climits>

#include "ModuleLoader.h"

void* LoadModuleEntry(const std::string& name, const char* entry, std::string& problem) {
    char self[PATH_MAX];
    const ssize_t length = readlink("/proc/self/exe", self, sizeof self - 1);
    if (length <= 0) {
        problem = "找不到程序自己的位置";
        return nullptr;
    }
    std::string folder(self, static_cast<std::size_t>(length));
    folder.erase(folder.rfind('/') + 1);
    const std::string file = name + ".so";
    for (const std::string& candidate : {folder + file, folder + PELLARIN_MODULE_DIR "/" + file}) {
        if (access(candidate.c_str(), R_OK) != 0) continue;
        void* module = dlopen(candidate.c_str(), RTLD_NOW | RTLD_LOCAL);
        if (!module) {
            problem = "模块 " + file + " 无法加载：" + dlerror();
            return nullptr;
        }
        if (void* found = dlsym(module, entry)) return found;
        problem = "模块不完整：" + candidate;
        return nullptr;
    }
    problem = "没有安装模块 " + file;
    return nullptr;
}
