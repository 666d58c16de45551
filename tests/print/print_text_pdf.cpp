// Test helper: prints the UTF-8 text of a file, as the output box would hold it, to a PDF.
// usage: print_text_pdf TEXT_FILE OUTPUT.pdf [--answers]
#include <QFile>
#include <QGuiApplication>
#include <cstdio>

#include "export/DocumentWriter.h"
#include "print/SheetsPdf.h"

int main(int argc, char** argv) {
    if (argc < 3) {
        std::fprintf(stderr, "usage: print_text_pdf TEXT_FILE OUTPUT.pdf [--answers]\n");
        return 2;
    }
    QGuiApplication app(argc, argv);
    QFile in(QString::fromLocal8Bit(argv[1]));
    if (!in.open(QIODevice::ReadOnly)) return 2;
    try {
        sheet_pages::Options paper;
        paper.answers = argc > 3 && QByteArray(argv[3]) == "--answers" ? sheet_pages::Answers::Full : sheet_pages::Answers::None;
        sheets_pdf::Write(argv[2], QString::fromUtf8(in.readAll()), paper, false);
    } catch (const pellarin::DocumentError& e) {
        std::fprintf(stderr, "print_text_pdf: %s: %s\n", e.path().c_str(), e.what());
        return 1;
    }
    return 0;
}
