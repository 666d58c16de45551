#include "NumericBox.h"

#include <QApplication>
#include <QFocusEvent>
#include <QInputMethodEvent>
#include <QKeyEvent>
#include <QMenu>

namespace {
bool IsDigit(QChar c) { return c >= QLatin1Char('0') && c <= QLatin1Char('9'); }
}  // namespace

NumericBox::NumericBox(int index, QWidget* parent) : QLineEdit(parent), m_index(index) {
    setObjectName(QStringLiteral("Text1_%1").arg(index));
    setAcceptDrops(false);
}

void NumericBox::keyPressEvent(QKeyEvent* event) {
    // Control with a letter types a control character (Ctrl+C is 3, Ctrl+V 22, Ctrl+X 24):
    // like every character other than a digit or backspace, it is discarded.
    const bool controlLetter = (event->modifiers() & (Qt::ControlModifier | Qt::MetaModifier)) &&
                               event->key() >= Qt::Key_A && event->key() <= Qt::Key_Z;
    const QString typed = event->text();
    const bool typesSomething = !typed.isEmpty() && typed != QLatin1String("\x7f");  // DEL types nothing
    if (controlLetter || (typesSomething && event->key() != Qt::Key_Backspace &&
                          !(typed.size() == 1 && (IsDigit(typed[0]) || typed[0] == QChar(8))))) {
        event->accept();
        return;
    }
    QLineEdit::keyPressEvent(event);
}

void NumericBox::inputMethodEvent(QInputMethodEvent* event) {
    QString digits;
    for (QChar c : event->commitString()) {
        if (IsDigit(c)) digits.append(c);
    }
    if (digits == event->commitString()) {
        QLineEdit::inputMethodEvent(event);
        return;
    }
    QInputMethodEvent filtered(event->preeditString(), event->attributes());
    filtered.setCommitString(digits, event->replacementStart(), event->replacementLength());
    QLineEdit::inputMethodEvent(&filtered);
    event->accept();
}

void NumericBox::focusOutEvent(QFocusEvent* event) {
    QLineEdit::focusOutEvent(event);
    // A warning box taking the focus or the window being deactivated is no move to another
    // control; checking then would warn a second time.
    const Qt::FocusReason reason = event->reason();
    if (reason == Qt::ActiveWindowFocusReason || reason == Qt::PopupFocusReason) return;
    const QWidget* next = QApplication::focusWidget();
    if (next && next != this && next->window() == window()) emit lostFocus(m_index);
}

void NumericBox::contextMenuEvent(QContextMenuEvent* event) {
    QMenu* menu = createStandardContextMenu();
    menu->setAttribute(Qt::WA_DeleteOnClose);
    for (QAction* action : menu->actions()) {
        const QString text = action->text();
        if (const qsizetype tab = text.indexOf(QLatin1Char('\t')); tab >= 0) action->setText(text.left(tab));
        action->setShortcut({});
    }
    menu->popup(event->globalPos());
}
