#include "ClassList.h"

#include <QRegularExpression>
#include <QStringDecoder>

namespace class_list {
namespace {

Result Refused(const char* why) {
    return {{}, QString::fromUtf8(why) + QStringLiteral("请用记事本打开它，另存为 UTF-8 编码。")};
}

bool IsAscii(QByteArrayView line) {
    for (char c : line) {
        if (static_cast<unsigned char>(c) >= 0x80) return false;
    }
    return true;
}

bool IsUtf8(QByteArrayView bytes) {
    QStringDecoder utf8(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
    const QString text = utf8.decode(bytes);  // decoded here: hasError() tells only afterwards
    return !utf8.hasError();
}

// UTF-16 without its byte-order mark: every other byte of its Latin letters, digits and line
// ends is NUL. A stray NUL in a UTF-8 list is not that.
bool LooksLikeUtf16(QByteArrayView bytes) {
    qsizetype even = 0, odd = 0;
    for (qsizetype i = 0; i < bytes.size(); ++i) {
        if (bytes[i] == '\0') ++(i % 2 ? odd : even);
    }
    return std::max(even, odd) * 20 >= bytes.size() && std::min(even, odd) * 10 <= std::max(even, odd);
}

}  // namespace

QStringList FromText(const QString& text) {
    QStringList names;
    for (const QString& line : text.split(QRegularExpression(QStringLiteral("\\r\\n|\\r|\\n")))) {
        // Control characters and invisible ones (zero-width spaces, byte-order marks, direction
        // marks) are no part of a name; a line of nothing else is no name at all.
        QString name;
        name.reserve(line.size());
        for (const QChar c : line) {
            if (c == QLatin1Char('\t')) name += QLatin1Char(' ');
            else if (c.category() != QChar::Other_Control && c.category() != QChar::Other_Format) name += c;
        }
        name = name.trimmed();
        if (!name.isEmpty()) names << name;
    }
    return names;
}

Result Read(const QByteArray& bytes) {
    if (bytes.startsWith("\xFF\xFE") || bytes.startsWith("\xFE\xFF")) {
        QStringDecoder utf16(bytes.startsWith("\xFF\xFE") ? QStringDecoder::Utf16LE : QStringDecoder::Utf16BE,
                             QStringDecoder::Flag::Stateless);
        const QString text = utf16.decode(QByteArrayView(bytes).sliced(2));
        if (utf16.hasError()) return Refused("这个文件以 UTF-16 的标记开头，内容却不是 UTF-16 编码，读不出名字。");
        return {FromText(text), {}};
    }
    QByteArrayView content = bytes;
    if (content.startsWith("\xEF\xBB\xBF")) content = content.sliced(3);
    if (LooksLikeUtf16(content)) {
        return Refused("这个文件像是没有字节顺序标记（BOM）的 UTF-16 编码，读不准名字。");
    }
    // Line by line: a list saved partly in one encoding and partly in another would otherwise
    // be read wholly as GB18030, and its UTF-8 names garbled without a word.
    bool utf8Lines = false, otherLines = false;
    for (QByteArrayView rest = content; !rest.isEmpty();) {
        const qsizetype end = rest.indexOf('\n');
        const QByteArrayView line = end < 0 ? rest : rest.first(end);
        rest = end < 0 ? QByteArrayView() : rest.sliced(end + 1);
        if (IsAscii(line)) continue;
        (IsUtf8(line) ? utf8Lines : otherLines) = true;
    }
    if (!otherLines) return {FromText(QString::fromUtf8(content)), {}};
    if (utf8Lines) {
        return Refused("这个文件里有的行是 UTF-8 编码，有的行是 GB18030（GBK）编码，读不准名字。");
    }
    QString text;
    if (DecodeGb18030(content.toByteArray(), text)) return {FromText(text), {}};
    return Refused("这个文件既不是 UTF-8 编码，也不是 GB18030（GBK）编码，读不出名字。");
}

QString ClassName(const QByteArray& bytes) {
    if (IsUtf8(bytes)) return QString::fromUtf8(bytes).trimmed();
    QString text;
    if (DecodeGb18030(bytes, text)) return text.trimmed();
    return {};
}

}  // namespace class_list
