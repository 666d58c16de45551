#pragma once

#include <QPlainTextEdit>
#include <optional>

// The output box (Text2): multi-line, editable, wrapping at its width with a vertical
// scroll bar. Line breaks are CR LF in and out, as the sheets and the clipboard have them.
class OutputBox : public QPlainTextEdit {
    Q_OBJECT
public:
    explicit OutputBox(QWidget* parent);

    QString text() const;
    // A new text in the box (new sheets); the time it came is kept as when the sheets were made.
    void setText(const QString& text);
    std::int64_t madeMs() const { return m_madeMs; }
    // The settings the box's sheets were made with, where they came from a run (not pasted in):
    // sheets of each child's own are made again from them.
    struct Run {
        std::int16_t limit = 0;
        QString difficulty;
    };
    void setRun(const Run& run) { m_run = run; }
    const std::optional<Run>& run() const { return m_run; }

    // Further entries of the right-click menu, after the editing ones and those added before.
    void addMenuActions(const QList<QAction*>& actions) { m_menuActions += actions; }

protected:
    void contextMenuEvent(QContextMenuEvent* event) override;
    void insertFromMimeData(const QMimeData* source) override;

private:
    // Lines wrap at word boundaries. A run of characters with nowhere to break it that is
    // longer than any line of the box (a pasted file of digits, say) has to be cut anywhere
    // anyway, and finding that out again for each of its lines costs time that grows with the
    // square of its length: while the box holds such a run, lines are simply cut anywhere.
    void FitWrapping(const QString& incoming, bool replacing);
    void RecheckWrapping();

    QList<QAction*> m_menuActions;
    std::int64_t m_madeMs = 0;
    std::optional<Run> m_run;
    bool m_recheckPending = false;
};
