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
    return asked.save ? QFileDialog::getSaveFileName(parent, asked.title, asked.suggested, asked.filter)
                      : QFileDialog::getOpenFileName(parent, asked.title, asked.suggested, asked.filter);
}

}  // namespace

QString Open(QWidget* parent, const QString& title, const QString& filter) {
    return Ask(parent, {false, title, {}, filter});
}

QString Save(QWidget* parent, const QString& title, const QString& suggested, const QString& filter) {
    return Ask(parent, {true, title, suggested, filter});
}

void SetAnswerForTests(Answer answer) { ForTests() = std::move(answer); }

}  // namespace FileDialog
