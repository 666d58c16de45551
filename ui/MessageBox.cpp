#include "MessageBox.h"

namespace {
MessageBox::Hook& TestHook() {
    static MessageBox::Hook hook;
    return hook;
}
}  // namespace

void MessageBox::Warning(QWidget* parent, const QString& title, const QString& text) {
    Show(parent, QMessageBox::Warning, title, text);
}

void MessageBox::Information(QWidget* parent, const QString& title, const QString& text) {
    Show(parent, QMessageBox::Information, title, text);
}

void MessageBox::SetTestHook(Hook hook) { TestHook() = std::move(hook); }

void MessageBox::Show(QWidget* parent, QMessageBox::Icon icon, const QString& title, const QString& text) {
    if (TestHook()) {
        TestHook()({title, text, icon});
        return;
    }
    QMessageBox box(icon, title, text, QMessageBox::Ok, parent);
    box.setObjectName(QStringLiteral("MessageBox"));
    box.exec();
}
