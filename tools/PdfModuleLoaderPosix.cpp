#include <dlfcn.h>
#include <unistd.h>

#include <climits>

#include "PdfModuleLoader.h"

PellarinWriteSheetsPdf LoadPdfWriter(std::string& problem) {
    char self[PATH_MAX];
    const ssize_t length = readlink("/proc/self/exe", self, sizeof self - 1);
    if (length <= 0) {
        problem = "找不到程序自己的位置";
        return nullptr;
    }
    std::string folder(self, static_cast<std::size_t>(length));
    folder.erase(folder.rfind('/') + 1);
    for (const std::string& candidate : {folder + "pellarin-pdf.so", folder + PELLARIN_MODULE_DIR "/pellarin-pdf.so"}) {
        if (access(candidate.c_str(), R_OK) != 0) continue;
        void* module = dlopen(candidate.c_str(), RTLD_NOW | RTLD_LOCAL);
        if (!module) {
            problem = std::string("PDF 模块无法加载：") + dlerror();
            return nullptr;
        }
        if (void* entry = dlsym(module, PELLARIN_PDF_ENTRY)) return reinterpret_cast<PellarinWriteSheetsPdf>(entry);
        problem = "PDF 模块不完整：" + candidate;
        return nullptr;
    }
    problem = "没有安装 PDF 模块（pellarin-pdf.so）";
    return nullptr;
}
