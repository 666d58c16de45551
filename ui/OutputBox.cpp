#include "OutputBox.h"

#include <QDateTime>

#include <QContextMenuEvent>
#include <QMenu>
#include <QMimeData>
#include <QTextBoundaryFinder>
#include <QTimer>
#include <QScrollBar>
#include <QTextBlock>

OutputBox::OutputBox(QWidget* parent) : QPlainTextEdit(parent) {
    setObjectName(QStringLiteral("Text2"));
    setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    setLineWrapMode(QPlainTextEdit::WidgetWidth);
    setTabChangesFocus(true);
    setWordWrapMode(QTextOption::WrapAtWordBoundaryOrAnywhere);
    connect(document(), &QTextDocument::contentsChange, this, [this](int, int removed, int) {
        if (removed > 0) RecheckWrapping();
    });
}

// The document keeps paragraphs, not line-break characters: every break between them, typed
// or set, reads back as CR LF. Inside a paragraph the characters come back as they are; the
// editor's own plain text would turn no-break spaces into spaces and U+2028 into breaks.
QString OutputBox::text() const {
    QString text;
    text.reserve(document()->characterCount() + document()->blockCount());
    for (QTextBlock block = document()->begin(); block.isValid(); block = block.next()) {
        if (block != document()->begin()) text += QLatin1String("\r\n");
        text += block.text();
    }
    return text;
}

void OutputBox::setText(const QString& text) {
    m_madeMs = QDateTime::currentMSecsSinceEpoch();
    m_run.reset();
    FitWrapping(text, true);
    setPlainText(text);
}

namespace {

// Longer than a line of the box can ever be; below it, word wrapping costs little.
constexpr qsizetype kLongestWord = 512;

bool HasUnbreakableRun(const QString& text) {
    QTextBoundaryFinder breaks(QTextBoundaryFinder::Line, text);
    qsizetype previous = 0;
    for (qsizetype at = breaks.toNextBoundary(); at != -1; at = breaks.toNextBoundary()) {
        if (at - previous > kLongestWord) return true;
        previous = at;
    }
    return false;
}

}  // namespace

void OutputBox::FitWrapping(const QString& incoming, bool replacing) {
    const bool longRun = HasUnbreakableRun(incoming);
    if (longRun) {
        setWordWrapMode(QTextOption::WrapAnywhere);
    } else if (replacing) {
        setWordWrapMode(QTextOption::WrapAtWordBoundaryOrAnywhere);
    }
}

// Once the long run may have been deleted, the box goes back to word wrapping: checked after
// the edit, once for a burst of edits.
void OutputBox::RecheckWrapping() {
    if (wordWrapMode() != QTextOption::WrapAnywhere || m_recheckPending) return;
    m_recheckPending = true;
    QTimer::singleShot(0, this, [this] {
        m_recheckPending = false;
        if (!HasUnbreakableRun(toPlainText())) setWordWrapMode(QTextOption::WrapAtWordBoundaryOrAnywhere);
    });
}

void OutputBox::insertFromMimeData(const QMimeData* source) {
    if (source->hasText()) FitWrapping(source->text(), false);
    QPlainTextEdit::insertFromMimeData(source);
}

void OutputBox::contextMenuEvent(QContextMenuEvent* event) {
    QMenu* menu = createStandardContextMenu(event->pos());
    menu->setAttribute(Qt::WA_DeleteOnClose);
    if (!m_menuActions.isEmpty()) {
        menu->addSeparator();
        menu->addActions(m_menuActions);
    }
    menu->popup(event->globalPos());
}
