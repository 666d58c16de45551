#include "ClassList.h"

#include <QRegularExpression>
#include <QStringDecoder>

namespace class_list {

QStringList FromText(const QString& text) {
    QStringList names;
    for (const QString& line : text.split(QRegularExpression(QStringLiteral("\\r\\n|\\r|\\n")))) {
        const QString name = line.trimmed();
        if (!name.isEmpty()) names << name;
    }
    return names;
}

Result Read(const QByteArray& bytes) {
    QByteArrayView content = bytes;
    if (content.startsWith("\xEF\xBB\xBF")) content = content.sliced(3);
    QStringDecoder utf8(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
    QString text = utf8.decode(content);
    if (!utf8.hasError()) return {FromText(text), {}};
    if (DecodeGb18030(bytes, text)) return {FromText(text), {}};
    return {{}, QStringLiteral("这个文件既不是 UTF-8 编码，也不是 GB18030（GBK）编码，读不出名字。"
                               "请用记事本打开它，另存为 UTF-8 编码后再选。")};
}

}  // namespace class_list
