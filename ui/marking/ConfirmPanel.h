#pragma once

#include <QWidget>
#include <optional>

#include "MarkingBook.h"

class QLabel;
class QLineEdit;

// 核对, by keyboard alone: each answer the program is unsure of, the most doubtful first, as the
// child wrote it (large) beside its problem, with the value read filled in. Enter accepts it;
// digits typed and Enter set it; Space says the box is blank. Then each 错 the program decided,
// beside the right result: Enter keeps it 错, Space turns it to 对. The count left is always
// in view.
class ConfirmPanel : public QWidget {
    Q_OBJECT
public:
    ConfirmPanel(MarkingBook& book, QWidget* parent);

    // Shows the next answer to look at (after new pages came, or a decision); false when none is left.
    bool ShowNext();
    bool inWrongPass() const { return m_wrongPass; }
    // The answer being looked at, if any.
    std::optional<MarkingBook::Item> current() const { return m_item; }

signals:
    // A decision was made on the answer of page `page`.
    void decided(int page);
    // Nothing is left to look at.
    void finished();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;

private:
    void Show(MarkingBook::Item item);
    void Accept();
    void Blank();
    void Counted();

    MarkingBook& m_book;
    std::optional<MarkingBook::Item> m_item;
    bool m_wrongPass = false;
    QLabel* m_heading;
    QLabel* m_left;
    QLabel* m_picture;
    QLabel* m_sheet;
    QLabel* m_problem;
    QLineEdit* m_value;
    QLabel* m_expected;
    QLabel* m_keys;
};
