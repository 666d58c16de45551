#include <QFile>

#include "platform/NativePath.h"

namespace pellarin {

// Qt decodes the bytes of a name that are not valid in the locale's encoding in a way its
// encoder gives back, so a round trip keeps them.
std::string NativePath(const QString& path) { return QFile::encodeName(path).toStdString(); }

QString PathForDisplay(const std::string& path) { return QFile::decodeName(QByteArray::fromStdString(path)); }

}  // namespace pellarin
