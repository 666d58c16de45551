#include "FileDialog.h"

#include <QFileDialog>

namespace FileDialog {
namespace {

Answer& ForTests() {
    static Answer answer;
    return answer;
}

QString Ask(QWidget* parent, const Asked& asked) {
    if (ForTests()) return ForTests()(parent, asked);
    if (!asked.save) return QFileDialog::getOpenFileName(parent, asked.title, asked.suggested, asked.filter);
    // The static getSaveFileName knows no default suffix: its dialog would ask about replacing
    // "练习" and the caller then write "练习.pdf".
    QFileDialog dialog(parent, asked.title, asked.suggested, asked.filter);
    dialog.setAcceptMode(QFileDialog::AcceptSave);
    dialog.setFileMode(QFileDialog::AnyFile);
    dialog.setDefaultSuffix(asked.defaultSuffix);
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) return {};
    return dialog.selectedFiles().constFirst();
}

}  // namespace

QString Open(QWidget* parent, const QString& title, const QString& filter) {
    return Ask(parent, {false, title, {}, filter});
}

QString Save(QWidget* parent, const QString& title, const QString& suggested, const QString& filter,
             const QString& defaultSuffix) {
    return Ask(parent, {true, title, suggested, filter, defaultSuffix});
}

QStringList OpenMany(QWidget* parent, const QString& title, const QString& filter) {
    if (ForTests()) return ForTests()(parent, {false, title, {}, filter}).split(QLatin1Char('\n'), Qt::SkipEmptyParts);
    return QFileDialog::getOpenFileNames(parent, title, {}, filter);
}

void SetAnswerForTests(Answer answer) { ForTests() = std::move(answer); }

}  // namespace FileDialog
