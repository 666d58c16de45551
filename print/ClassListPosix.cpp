#include <iconv.h>

#include <cerrno>
#include <vector>

#include "ClassList.h"

namespace class_list {

bool DecodeGb18030(const QByteArray& bytes, QString& text) {
    iconv_t convert = iconv_open("UTF-16LE", "GB18030");
    if (convert == reinterpret_cast<iconv_t>(-1)) return false;
    std::vector<char> out(static_cast<std::size_t>(bytes.size()) * 4 + 4);
    char* in = const_cast<char*>(bytes.data());
    std::size_t inLeft = static_cast<std::size_t>(bytes.size());
    char* to = out.data();
    std::size_t outLeft = out.size();
    // Any byte sequence GB18030 does not define, or one cut off at the end, is an error.
    const bool ok = iconv(convert, &in, &inLeft, &to, &outLeft) != static_cast<std::size_t>(-1) && inLeft == 0;
    iconv_close(convert);
    if (!ok) return false;
    text = QString::fromUtf16(reinterpret_cast<const char16_t*>(out.data()),
                              static_cast<qsizetype>((out.size() - outLeft) / 2));
    return true;
}

}  // namespace class_list
