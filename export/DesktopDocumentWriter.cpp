#include "DesktopDocumentWriter.h"

#include <QDesktopServices>
#include <QDir>
#include <QFileInfo>
#include <QStandardPaths>
#include <QUrl>

namespace pellarin {

DesktopDocumentWriter::DesktopDocumentWriter()
    : DesktopDocumentWriter(Environment{
          [] {
              const QString documents = QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation);
              return documents.isEmpty() ? QDir::homePath() : documents;
          },
          [] { return QDateTime::currentDateTime(); },
          [](const QString& path) { return QDesktopServices::openUrl(QUrl::fromLocalFile(path)); }}) {}

DesktopDocumentWriter::DesktopDocumentWriter(Environment environment) : m_environment(std::move(environment)) {}

void DesktopDocumentWriter::Show() {
    const QString folder = m_environment.folder();
    if (!QDir().mkpath(folder)) {
        throw DocumentError("无法创建文件夹", QDir::toNativeSeparators(folder).toStdString());
    }
    const QString stem = QStringLiteral("口算题-") + m_environment.now().toString(QStringLiteral("yyyy-MM-dd-HHmmss"));
    QString path = QDir(folder).filePath(stem + QStringLiteral(".docx"));
    for (int n = 2; QFileInfo::exists(path); ++n) {
        path = QDir(folder).filePath(stem + QStringLiteral("-%1.docx").arg(n));
    }
    m_document.Save(QFile::encodeName(path).toStdString());
    m_savedPath = path;
    if (!m_environment.open(path)) {
        throw DocumentNotOpened("没有能打开它的程序", QDir::toNativeSeparators(path).toStdString());
    }
}

}  // namespace pellarin
