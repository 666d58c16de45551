#pragma once

#include <cstdlib>
#include <filesystem>
#include <string>

// The scan the marking benchmarks read: 40 sheets filled in with held-out handwriting and
// scanned in grey at 300 dpi, one PDF made once into the build by tests/markrun/make_scans.py;
// empty where it could not be made.
inline std::string FortyPageScan() {
    const std::string folder = PELLARIN_BUILD_DIR "/bench-scan";
    const std::string pdf = folder + "/scan.pdf";
    if (!std::filesystem::exists(pdf)) {
        const std::string command = "/usr/bin/python3 " PELLARIN_SOURCE_DIR "/tests/markrun/make_scans.py " PELLARIN_SHEETS_TOOL
                                    " " PELLARIN_DIGITS_DIR " " + folder + " 40 11 --grey-300 > /dev/null";
        if (std::system(command.c_str()) != 0) return {};
    }
    return pdf;
}
