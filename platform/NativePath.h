#pragma once

#include <QString>
#include <string>

// File names between Qt and the writers: the writers take a path as the system names it (the
// bytes of the name on Linux, whatever they are; UTF-8 on Windows), Qt holds it as a QString.
// A name from the command line goes through unchanged, so a file is written under exactly the
// name given. One implementation per system.
namespace pellarin {

std::string NativePath(const QString& path);
QString PathForDisplay(const std::string& path);

}  // namespace pellarin
