#include "DesktopDocumentWriter.h"

#include <QDir>
#include <QFile>
#include <QStandardPaths>

#include "DesktopOpener.h"
#include "platform/NativePath.h"

namespace pellarin {

DesktopDocumentWriter::DesktopDocumentWriter(NotOpened notOpened)
    : DesktopDocumentWriter(Environment{[] {
                                            const QString documents = QStandardPaths::writableLocation(
                                                QStandardPaths::DocumentsLocation);
                                            return documents.isEmpty() ? QDir::homePath() : documents;
                                        },
                                        [] { return QDateTime::currentDateTime(); }, &OpenWithDesktop},
                            std::move(notOpened)) {}

DesktopDocumentWriter::DesktopDocumentWriter(Environment environment, NotOpened notOpened)
    : m_environment(std::move(environment)), m_notOpened(std::move(notOpened)) {}

void DesktopDocumentWriter::Show() {
    const QString folder = m_environment.folder();
    if (!QDir().mkpath(folder)) {
        throw DocumentError("无法创建文件夹", NativePath(folder));
    }
    const QString stem = QStringLiteral("口算题-") + m_environment.now().toString(QStringLiteral("yyyy-MM-dd-HHmmss"));
    QString path = QDir(folder).filePath(stem + QStringLiteral(".docx"));
    // The next number whenever the name is taken, by an earlier export or by another window
    // saving in the same second; a thousand exports in one second would be a runaway.
    for (int n = 2;; ++n) {
        try {
            m_document.Save(NativePath(path));
            break;
        } catch (const DocumentExists&) {
            if (n > 1000) throw;
            path = QDir(folder).filePath(stem + QStringLiteral("-%1.docx").arg(n));
        }
    }
    m_savedPath = path;
    m_environment.open(path, [path, notOpened = m_notOpened](bool opened) {
        if (!opened && notOpened) notOpened(QDir::toNativeSeparators(path));
    });
}

}  // namespace pellarin
