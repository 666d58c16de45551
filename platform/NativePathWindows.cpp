#include <QDir>

#include "platform/NativePath.h"

namespace pellarin {

// The writers turn UTF-8 into the wide names of the Windows API.
std::string NativePath(const QString& path) { return QDir::toNativeSeparators(path).toUtf8().toStdString(); }

QString PathForDisplay(const std::string& path) { return QDir::toNativeSeparators(QString::fromStdString(path)); }

}  // namespace pellarin
