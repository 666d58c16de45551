// Test helper: writes the UTF-8 text of a file, unchanged, as the export's document.
// usage: write_docx TEXT_FILE OUTPUT.docx
#include <cstdio>
#include <fstream>
#include <iterator>
#include <string>

#include "export/DocxWriter.h"
#include "generator/Utf.h"

int main(int argc, char** argv) {
    if (argc != 3) {
        std::fprintf(stderr, "usage: write_docx TEXT_FILE OUTPUT.docx\n");
        return 2;
    }
    std::ifstream in(argv[1], std::ios::binary);
    const std::string bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    try {
        pellarin::DocxFileWriter writer(argv[2]);
        pellarin::WriteSheetsDocument(writer, [&] { return pellarin::FromUtf8(bytes); });
        writer.Show();
    } catch (const pellarin::DocumentError& e) {
        std::fprintf(stderr, "write_docx: %s: %s\n", e.path().c_str(), e.what());
        return 1;
    }
    return 0;
}
