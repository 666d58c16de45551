#include "SheetsPdf.h"

#include <QDir>
#include <QFileInfo>
#include <QPainter>
#include <QPdfWriter>
#include <QTemporaryFile>
#include <cerrno>

#include "SheetPages.h"
#include "export/DocumentWriter.h"
#include "export/FilePlacement.h"

namespace sheets_pdf {
namespace {

std::string Native(const QString& path) { return QDir::toNativeSeparators(path).toStdString(); }

// Why a file could not be made in a folder, in the user's words.
std::string FolderProblem(const QString& path) {
    const QFileInfo folder(QFileInfo(path).absolutePath());
    if (!folder.exists()) return pellarin::DescribeFileError(ENOENT);
    if (!folder.isDir()) return pellarin::DescribeFileError(ENOTDIR);
    if (!folder.isWritable()) return pellarin::DescribeFileError(EACCES);
    return "无法在这里创建文件";
}

}  // namespace

int Write(const QString& path, const QString& text, bool answers, bool replace) {
    if (!replace && QFileInfo(path).exists()) throw pellarin::DocumentExists(pellarin::DescribeFileError(EEXIST), Native(path));
    const QFileInfo target(path);
    QTemporaryFile file(QDir(target.absolutePath()).filePath(QStringLiteral(".") + target.fileName() + QStringLiteral(".XXXXXX")));
    if (!file.open()) throw pellarin::DocumentError(FolderProblem(path), Native(path));

    int pages = 0;
    {
        QPdfWriter writer(&file);
        writer.setPageLayout(sheet_pages::PageLayout());
        writer.setResolution(600);
        writer.setCreator(QStringLiteral("Pellarin"));
        writer.setTitle(QStringLiteral("口算题"));
        QPainter painter;
        if (!painter.begin(&writer)) throw pellarin::DocumentError("无法开始写 PDF", Native(path));
        pages = sheet_pages::Paint(painter, writer, text, answers);
        painter.end();
    }
    if (!file.flush() || file.error() != QFileDevice::NoError) {
        throw pellarin::DocumentError("写入出错：" + file.errorString().toStdString(), Native(path));
    }
    file.close();
    const std::string from = QFile::encodeName(file.fileName()).toStdString();
    const std::string to = QFile::encodeName(target.absoluteFilePath()).toStdString();
    pellarin::GiveUsualPermissions(from);
    const int error = replace ? pellarin::MoveIntoPlaceReplacing(from, to) : pellarin::MoveIntoPlaceWithoutReplacing(from, to);
    if (error == EEXIST) throw pellarin::DocumentExists(pellarin::DescribeFileError(error), Native(path));
    if (error != 0) throw pellarin::DocumentError(pellarin::DescribeFileError(error), Native(path));
    file.setAutoRemove(false);
    return pages;
}

}  // namespace sheets_pdf
