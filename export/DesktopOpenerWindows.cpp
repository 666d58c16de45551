#include <QDesktopServices>
#include <QTimer>
#include <QUrl>

#include "DesktopOpener.h"

// Windows: the shell opens the file with the program associated with its type (ShellExecute,
// through Qt), and says at once whether it could.
namespace pellarin {

void OpenWithDesktop(const QString& path, std::function<void(bool opened)> done) {
    const bool opened = QDesktopServices::openUrl(QUrl::fromLocalFile(path));
    // Reported later, on the window thread, as on the other systems.
    QTimer::singleShot(0, [opened, done = std::move(done)] {
        if (done) done(opened);
    });
}

}  // namespace pellarin
