#include <windows.h>

#include <string>

#include "PdfModuleLoader.h"

// Windows: the module is beside the program, where the installer puts every DLL.
PellarinWriteSheetsPdf LoadPdfWriter(std::string& problem) {
    wchar_t self[MAX_PATH + 1];
    const DWORD length = GetModuleFileNameW(nullptr, self, MAX_PATH);
    if (length == 0 || length >= MAX_PATH) {
        problem = "找不到程序自己的位置";
        return nullptr;
    }
    std::wstring path(self, length);
    path.erase(path.find_last_of(L"\\/") + 1);
    path += L"pellarin-pdf.dll";
    HMODULE module = LoadLibraryW(path.c_str());
    if (!module) {
        problem = "没有安装 PDF 模块（pellarin-pdf.dll），或者它无法加载";
        return nullptr;
    }
    if (FARPROC entry = GetProcAddress(module, PELLARIN_PDF_ENTRY)) {
        return reinterpret_cast<PellarinWriteSheetsPdf>(reinterpret_cast<void*>(entry));
    }
    problem = "PDF 模块不完整";
    return nullptr;
}
