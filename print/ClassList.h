#pragma once

#include <QByteArray>
#include <QString>
#include <QStringList>

// A class list: one child's name a line, as a teacher saves it from Notepad or a spreadsheet.
// The encoding is detected, never guessed: UTF-16 with its byte-order mark, UTF-8 (with or
// without one), or else GB18030 (which GBK and GB2312 files are too). A file that is none of
// these, UTF-16 without its mark, or one whose lines are in different encodings, is refused.
// Blank lines, lines of invisible characters only, control characters and the spaces around
// a name are dropped. A list with no names is read as such: the caller says so.
namespace class_list {

struct Result {
    QStringList names;
    QString problem;  // why the file was refused, in the user's words; empty when it was read
};

Result Read(const QByteArray& bytes);

// Names typed or pasted into a box: the same rules for lines and spaces.
QStringList FromText(const QString& text);

// A class's name given on the command line, in the terminal's encoding (UTF-8 or GB18030);
// empty when it is neither.
QString ClassName(const QByteArray& bytes);

// GB18030 bytes as text, or nothing when they are not valid GB18030. One implementation per
// system: the C library's iconv on Linux, the system's code page 54936 on Windows.
bool DecodeGb18030(const QByteArray& bytes, QString& text);

}  // namespace class_list
