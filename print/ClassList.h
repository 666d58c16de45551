#pragma once

#include <QByteArray>
#include <QString>
#include <QStringList>

// A class list: one child's name a line, as a teacher saves it from Notepad or a spreadsheet.
// The encoding is detected, never guessed: UTF-8 (with or without a byte-order mark), or else
// GB18030 (which GBK and GB2312 files are too); a file that is neither is refused. Blank
// lines and the spaces around a name are dropped.
namespace class_list {

struct Result {
    QStringList names;
    QString problem;  // why the file was refused, in the user's words; empty when it was read
};

Result Read(const QByteArray& bytes);

// Names typed or pasted into a box: the same rules for lines and spaces.
QStringList FromText(const QString& text);

// GB18030 bytes as text, or nothing when they are not valid GB18030. One implementation per
// system: the C library's iconv on Linux, the system's code page 54936 on Windows.
bool DecodeGb18030(const QByteArray& bytes, QString& text);

}  // namespace class_list
