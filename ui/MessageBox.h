#pragma once

#include <QMessageBox>
#include <QString>
#include <functional>

// Every box the program shows goes through here: modal, one OK button (or a question's
// buttons), and the handler that asked for it goes on only after the user has closed it.
// Tests install a hook that sees the box instead of the user and answers at once.
class MessageBox {
public:
    struct Shown {
        QString title;
        QString text;
        QMessageBox::Icon icon;
    };
    using Hook = std::function<void(const Shown&)>;
    using AnswerHook = std::function<QMessageBox::StandardButton(const Shown&)>;

    static void Warning(QWidget* parent, const QString& title, const QString& text);
    static void Information(QWidget* parent, const QString& title, const QString& text);
    // A question with the given buttons; the one the user chose (Escape gives the escape button).
    static QMessageBox::StandardButton Question(QWidget* parent, const QString& title, const QString& text,
                                                QMessageBox::StandardButtons buttons,
                                                QMessageBox::StandardButton defaultButton);

    // With a hook set, boxes are handed to it and not shown. Pass nullptr to show them again.
    static void SetTestHook(Hook hook);
    // Questions go to this hook, which answers them; without it, to the plain hook, answered
    // with the default button.
    static void SetAnswerHookForTests(AnswerHook hook);

private:
    static QMessageBox::StandardButton Show(QWidget* parent, QMessageBox::Icon icon, const QString& title,
                                            const QString& text, QMessageBox::StandardButtons buttons,
                                            QMessageBox::StandardButton defaultButton);
};
