#pragma once

#include <QDateTime>
#include <QString>
#include <functional>

#include "DocxWriter.h"

namespace pellarin {

// The export's word processor on a desktop: the document is written as a .docx into the
// user's documents folder and opened with the desktop's default application for it.
class DesktopDocumentWriter : public DocxWriter {
public:
    using Done = std::function<void(bool opened)>;
    struct Environment {
        std::function<QString()> folder;                             // where documents go
        std::function<QDateTime()> now;                              // names the file
        std::function<void(const QString& path, Done done)> open;   // shows it, reports later
    };
    // Told, possibly after the export has ended, that the saved document could not be opened.
    using NotOpened = std::function<void(const QString& path)>;

    explicit DesktopDocumentWriter(NotOpened notOpened);  // the real folder, clock and desktop
    DesktopDocumentWriter(Environment environment, NotOpened notOpened);

    // Saves under a new name, "口算题-2026-12-08-131500.docx" (then "-2", "-3", ... when the
    // name is taken, also by another export at the same moment), and opens it. Throws
    // DocumentError when it cannot be written.
    void Show() override;

    const QString& savedPath() const { return m_savedPath; }

private:
    Environment m_environment;
    NotOpened m_notOpened;
    QString m_savedPath;
};

}  // namespace pellarin
