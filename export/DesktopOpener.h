#pragma once

#include <QString>
#include <functional>

namespace pellarin {

// Asks the desktop to open a file with the user's application for it, without waiting:
// `done` is called later, on the window thread, with whether the desktop managed it. The
// one place that knows how this desktop opens files.
void OpenWithDesktop(const QString& path, std::function<void(bool opened)> done);

}  // namespace pellarin
