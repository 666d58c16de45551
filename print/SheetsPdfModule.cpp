#include "SheetsPdfModule.h"

#include <cstdio>

#include "ClassList.h"
#include "ModuleApplication.h"
#include "sheets/SheetText.h"
#include "SheetsPdf.h"
#include "export/DocumentWriter.h"
#include "export/FilePlacement.h"

#ifdef _WIN32
#define PELLARIN_EXPORTED __declspec(dllexport)
#else
#define PELLARIN_EXPORTED __attribute__((visibility("default")))
#endif

extern "C" PELLARIN_EXPORTED int pellarin_write_sheets_pdf(const PellarinPdfRequest* request) {
    pellarin::UseCleanUpList(static_cast<pellarin::CleanUpList*>(request->cleanUp));
    const ModuleApplication app;
    auto fail = [request](const QString& reason) {
        std::snprintf(request->reason, request->reasonSize, "%s", reason.toUtf8().constData());
        return 1;
    };

    const QString text = QString::fromUtf16(request->text, static_cast<qsizetype>(request->length));
    sheet_pages::Options options;
    options.marks = request->plain == 0;
    options.answers = request->answers == 2   ? sheet_pages::Answers::Compact
                      : request->answers == 1 ? sheet_pages::Answers::Full
                                              : sheet_pages::Answers::None;
    if (request->className) {
        options.className = class_list::ClassName(QByteArray(request->className));
        if (options.className.isEmpty() && !QByteArray(request->className).trimmed().isEmpty()) {
            return fail(QStringLiteral("--class 的班级名既不是 UTF-8 编码，也不是 GB18030（GBK）编码"));
        }
    }
    if (request->names) {
        const class_list::Result list =
            class_list::Read(QByteArray(request->names, static_cast<qsizetype>(request->namesSize)));
        if (!list.problem.isEmpty()) {
            fail(list.problem);
            return kPdfListRefused;
        }
        options.names = list.names;
        if (options.names.isEmpty()) {
            std::snprintf(request->note, request->noteSize, "%s",
                          QStringLiteral("名单里没有名字：试卷上不写名字。").toUtf8().constData());
        }
        int sheets = 0;
        for (const auto& section : sheet_text::Read(text)) sheets = std::max(sheets, section.sheet);
        if (options.names.size() > sheets) {
            std::snprintf(request->note, request->noteSize, "%s",
                          QStringLiteral("名单上有 %1 个名字，只有 %2 份试卷：后面 %3 个名字没有试卷。")
                              .arg(options.names.size())
                              .arg(sheets)
                              .arg(options.names.size() - sheets)
                              .toUtf8()
                              .constData());
        }
    }
    QStringList said;
    options.said = &said;
    try {
        sheets_pdf::Write(request->path, text, options, false);
    } catch (const pellarin::DocumentError& e) {
        return fail(QString::fromUtf8(e.what()));
    }
    if (!said.isEmpty()) {
        QString note = QString::fromUtf8(request->note);
        if (!note.isEmpty()) said.prepend(note);
        std::snprintf(request->note, request->noteSize, "%s", said.join(QStringLiteral("\npellarin-sheets：")).toUtf8().constData());
    }
    return 0;
}

extern "C" PELLARIN_EXPORTED int pellarin_read_class_list(const char* bytes, std::size_t size, char* names,
                                                          std::size_t namesSize, char* reason, std::size_t reasonSize) {
    const class_list::Result list = class_list::Read(QByteArray(bytes, static_cast<qsizetype>(size)));
    if (!list.problem.isEmpty()) {
        std::snprintf(reason, reasonSize, "%s", list.problem.toUtf8().constData());
        return 1;
    }
    std::snprintf(names, namesSize, "%s", list.names.join(QLatin1Char('\n')).toUtf8().constData());
    return 0;
}
