#include "SheetsPdf.h"

#include <QIODevice>
#include <QPainter>
#include <QPdfWriter>
#include <cerrno>

#include "PendingDevice.h"
#include "SheetPages.h"
#include "export/DocumentWriter.h"
#include "export/FilePlacement.h"

namespace sheets_pdf {
namespace {

[[noreturn]] void Fail(int error, const std::string& path) {
    if (error == EEXIST) throw pellarin::DocumentExists(pellarin::DescribeFileError(error), path);
    throw pellarin::DocumentError(pellarin::DescribeFileError(error), path);
}

}  // namespace

int Write(const std::string& path, const QString& text, const sheet_pages::Options& options, bool replace) {
    if (!replace && pellarin::NameTaken(path)) Fail(EEXIST, path);
    int error = 0;
    const std::unique_ptr<pellarin::PendingFile> file = pellarin::PendingFile::Create(path, error);
    if (!file) Fail(error, path);

    int pages = 0;
    PendingDevice device(*file);
    {
        QPdfWriter writer(&device);
        writer.setPageLayout(sheet_pages::PageLayout());
        writer.setResolution(600);
        writer.setCreator(QStringLiteral("Pellarin"));
        writer.setTitle(QStringLiteral("口算题"));
        QPainter painter;
        if (!painter.begin(&writer)) throw pellarin::DocumentError("无法开始写 PDF", path);
        pages = sheet_pages::Paint(painter, writer, text, options);
        painter.end();
    }
    if (device.failure() != 0) Fail(device.failure(), path);
    if (const int finishing = file->Finish(); finishing != 0) Fail(finishing, path);
    if (const int placing = replace ? file->PlaceReplacing() : file->PlaceWithoutReplacing(); placing != 0) {
        Fail(placing, path);
    }
    return pages;
}

QStringList NamesNotes(const QString& text, const sheet_pages::Options& options) {
    if (options.names.isEmpty() && options.className.isEmpty()) return {};
    // Only the sheets matter, not the keys; the pages go nowhere.
    class Nowhere : public QIODevice {
    protected:
        qint64 readData(char*, qint64) override { return -1; }
        qint64 writeData(const char*, qint64 size) override { return size; }
    } nowhere;
    nowhere.open(QIODevice::WriteOnly);
    QStringList said;
    sheet_pages::Options sheetsOnly = options;
    sheetsOnly.answers = sheet_pages::Answers::None;
    sheetsOnly.said = &said;
    QPdfWriter writer(&nowhere);
    writer.setPageLayout(sheet_pages::PageLayout());
    writer.setResolution(600);
    QPainter painter;
    if (painter.begin(&writer)) {
        sheet_pages::Paint(painter, writer, text, sheetsOnly);
        painter.end();
    }
    return said;
}

}  // namespace sheets_pdf
