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
    struct Environment {
        std::function<QString()> folder;                  // where documents go
        std::function<QDateTime()> now;                   // names the file
        std::function<bool(const QString& path)> open;    // shows it to the user
    };

    DesktopDocumentWriter();  // the real documents folder, clock and desktop
    explicit DesktopDocumentWriter(Environment environment);

    // Saves under a new name, "口算题-2026-12-08-131500.docx" (then "-2", "-3", ... within the
    // same second), and opens it. Throws DocumentError when it cannot be written and
    // DocumentNotOpened when it was written but nothing could open it.
    void Show() override;

    const QString& savedPath() const { return m_savedPath; }

private:
    Environment m_environment;
    QString m_savedPath;
};

}  // namespace pellarin
