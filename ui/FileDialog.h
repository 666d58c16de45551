#pragma once

#include <QString>
#include <QStringList>
#include <functional>

class QWidget;

// Every file the user chooses goes through here: the system's dialog, or in tests an answer
// given at once (the file a test has made, or an empty path for "cancelled").
namespace FileDialog {

struct Asked {
    bool save = false;   // a file to write (the dialog asks before replacing one) or to read
    QString title;
    QString suggested;   // the folder and name offered; empty to start where the system likes
    QString filter;
    QString defaultSuffix;  // added by the dialog to a name typed without one, before it asks about replacing
};
using Answer = std::function<QString(QWidget* parent, const Asked& asked)>;

// The chosen file, or an empty path when the user cancelled.
QString Open(QWidget* parent, const QString& title, const QString& filter);
// Several files at once; a test's answer gives them a line each.
QStringList OpenMany(QWidget* parent, const QString& title, const QString& filter);
QString Save(QWidget* parent, const QString& title, const QString& suggested, const QString& filter,
             const QString& defaultSuffix = {});

// With an answer set, no dialog is shown. Pass nullptr to show them again.
void SetAnswerForTests(Answer answer);

}  // namespace FileDialog
