#include "MessageBox.h"

namespace {
MessageBox::Hook& TestHook() {
    static MessageBox::Hook hook;
    return hook;
}
MessageBox::AnswerHook& TestAnswerHook() {
    static MessageBox::AnswerHook hook;
    return hook;
}
}  // namespace

QMessageBox::StandardButton MessageBox::Question(QWidget* parent, const QString& title, const QString& text,
                                                 QMessageBox::StandardButtons buttons,
                                                 QMessageBox::StandardButton defaultButton) {
    return Show(parent, QMessageBox::Question, title, text, buttons, defaultButton);
}

void MessageBox::Warning(QWidget* parent, const QString& title, const QString& text) {
    Show(parent, QMessageBox::Warning, title, text, QMessageBox::Ok, QMessageBox::Ok);
}

void MessageBox::Information(QWidget* parent, const QString& title, const QString& text) {
    Show(parent, QMessageBox::Information, title, text, QMessageBox::Ok, QMessageBox::Ok);
}

void MessageBox::SetTestHook(Hook hook) { TestHook() = std::move(hook); }

void MessageBox::SetAnswerHookForTests(AnswerHook hook) { TestAnswerHook() = std::move(hook); }

QMessageBox::StandardButton MessageBox::Show(QWidget* parent, QMessageBox::Icon icon, const QString& title,
                                             const QString& text, QMessageBox::StandardButtons buttons,
                                             QMessageBox::StandardButton defaultButton) {
    const Shown shown{title, text, icon};
    if (icon == QMessageBox::Question && TestAnswerHook()) return TestAnswerHook()(shown);
    if (TestHook()) {
        TestHook()(shown);
        return defaultButton;
    }
    QMessageBox box(icon, title, text, buttons, parent);
    box.setObjectName(QStringLiteral("MessageBox"));
    box.setTextFormat(Qt::PlainText);  // names and file names as they are, never markup
    box.setDefaultButton(defaultButton);
    return static_cast<QMessageBox::StandardButton>(box.exec());
}
