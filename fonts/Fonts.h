#pragma once

#include <QFont>
#include <QString>

// The faces of the window. Fonts differ from machine to machine, so the faces are chosen from
// what this machine has, by what they look like, not by name alone.
namespace fonts {

// A Song-style face (宋体 and its stand-ins) for captions and settings.
QFont Song(double points);

// A face for text laid out in columns of characters, such as the sheets in the output box:
// every ASCII glyph the same width and half the width of a Chinese glyph, so that a space
// and a digit fill the same room and two of them fill a character's.
QFont Columns(double points);

// A bold face for figures read at arm's length, such as the results of the compact answer key.
QFont Figures(double points);

// Whether a family, as this machine draws it, has such even columns.
bool HasEvenColumns(const QString& family);

}  // namespace fonts
