#include "DifficultyBox.h"

#include <QLineEdit>
#include <QPointer>
#include <QProxyStyle>
#include <QStyleOptionComboBox>
#include <QWheelEvent>

namespace {

// The platform's combo box with a narrower arrow: in a box 41 pixels wide the usual arrow
// leaves too little room for one character at 15 points.
class NarrowArrowStyle : public QProxyStyle {
public:
    using QProxyStyle::QProxyStyle;

    QRect subControlRect(ComplexControl control, const QStyleOptionComplex* option, SubControl sub,
                         const QWidget* widget) const override {
        if (control != CC_ComboBox) return QProxyStyle::subControlRect(control, option, sub, widget);
        const QRect frame = option->rect.adjusted(kFrame, kFrame, -kFrame, -kFrame);
        switch (sub) {
            case SC_ComboBoxArrow: return QRect(frame.right() - kArrow + 1, frame.top(), kArrow, frame.height());
            case SC_ComboBoxEditField: return frame.adjusted(0, 0, -kArrow, 0);
            default: return QProxyStyle::subControlRect(control, option, sub, widget);
        }
    }

private:
    static constexpr int kFrame = 2;
    static constexpr int kArrow = 11;
};

}  // namespace

DifficultyBox::DifficultyBox(QWidget* parent) : QComboBox(parent) {
    setObjectName(QStringLiteral("Combo1"));
    auto* style = new NarrowArrowStyle;  // wraps the application's style
    style->setParent(this);
    setStyle(style);
    setEditable(true);
    setInsertPolicy(QComboBox::NoInsert);
    setCompleter(nullptr);
    setFocusPolicy(Qt::StrongFocus);  // the wheel does not take the focus either
    lineEdit()->setTextMargins(0, 0, 0, 0);
    QPalette red = palette();
    red.setColor(QPalette::Text, QColor(255, 0, 0));
    red.setColor(QPalette::ButtonText, QColor(255, 0, 0));
    setPalette(red);
    lineEdit()->setPalette(red);
    connect(lineEdit(), &QLineEdit::textChanged, this, &DifficultyBox::FollowText);
}

void DifficultyBox::FollowText(const QString& text) {
    const int entry = findText(text, Qt::MatchExactly | Qt::MatchCaseSensitive);
    if (entry < 0 || entry == currentIndex()) return;
    // Same text: the line edit keeps its cursor, and no edit is reported.
    const int cursor = lineEdit()->cursorPosition();
    setCurrentIndex(entry);
    lineEdit()->setCursorPosition(cursor);
}

void DifficultyBox::wheelEvent(QWheelEvent* event) {
    if (!hasFocus()) {
        event->ignore();  // passes on to the window, which ignores it too
        return;
    }
    QComboBox::wheelEvent(event);
}
