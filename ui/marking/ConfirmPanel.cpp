#include "ConfirmPanel.h"

#include <QGridLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QRegularExpressionValidator>
#include <QVBoxLayout>

#include "fonts/Fonts.h"

namespace {

// The cut-out is drawn three times its straightened size: a box's writing about 4 cm wide.
constexpr int kEnlarge = 3;

}  // namespace

ConfirmPanel::ConfirmPanel(MarkingBook& book, QWidget* parent) : QWidget(parent), m_book(book) {
    setObjectName(QStringLiteral("ConfirmPanel"));
    setFocusPolicy(Qt::StrongFocus);
    m_heading = new QLabel(this);
    QFont big = font();
    big.setPointSize(big.pointSize() + 5);
    big.setBold(true);
    m_heading->setFont(big);
    m_left = new QLabel(this);
    m_left->setObjectName(QStringLiteral("ConfirmLeft"));
    m_left->setFont(big);
    m_picture = new QLabel(this);
    m_picture->setObjectName(QStringLiteral("ConfirmPicture"));
    m_picture->setMinimumSize(260, 180);
    m_picture->setAlignment(Qt::AlignCenter);
    m_picture->setStyleSheet(QStringLiteral("background: white; border: 1px solid #999;"));
    m_sheet = new QLabel(this);
    m_problem = new QLabel(this);
    m_problem->setObjectName(QStringLiteral("ConfirmProblem"));
    QFont figures = fonts::Figures(28);
    m_problem->setFont(figures);
    m_value = new QLineEdit(this);
    m_value->setObjectName(QStringLiteral("ConfirmValue"));
    m_value->setAccessibleName(QStringLiteral("读作"));
    m_value->setFont(figures);
    m_value->setMaxLength(3);
    m_value->setFixedWidth(150);
    m_value->setValidator(new QRegularExpressionValidator(QRegularExpression(QStringLiteral("[0-9]{0,3}")), m_value));
    m_value->installEventFilter(this);
    m_expected = new QLabel(this);
    m_expected->setObjectName(QStringLiteral("ConfirmExpected"));
    m_expected->setFont(figures);
    m_keys = new QLabel(this);
    m_keys->setWordWrap(true);
    m_keys->setStyleSheet(QStringLiteral("color: #444;"));

    auto* top = new QHBoxLayout;
    top->addWidget(m_heading);
    top->addStretch(1);
    top->addWidget(m_left);
    auto* answer = new QHBoxLayout;
    answer->addWidget(m_problem);
    answer->addWidget(m_value);
    answer->addWidget(m_expected);
    answer->addStretch(1);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(top);
    layout->addWidget(m_picture, 1);
    layout->addWidget(m_sheet);
    layout->addLayout(answer);
    layout->addWidget(m_keys);
}

bool ConfirmPanel::ShowNext() {
    std::optional<MarkingBook::Item> next = m_book.NextDoubtful();
    m_wrongPass = !next;
    if (!next) next = m_book.NextWrong();
    m_item = next;
    if (!next) {
        m_heading->setText(QStringLiteral("核对完了"));
        m_left->setText(QStringLiteral("没有待核的题"));
        m_picture->clear();
        m_sheet->clear();
        m_problem->clear();
        m_expected->clear();
        m_value->hide();
        m_keys->setText(QStringLiteral("每道待核的题和每个“错”都看过了。"));
        emit finished();
        return false;
    }
    Show(*next);
    return true;
}

void ConfirmPanel::Show(MarkingBook::Item item) {
    const scan::ProblemMark& mark = m_book.mark(item);
    if (const QImage* cut = m_book.cutout(item)) {
        m_picture->setPixmap(QPixmap::fromImage(cut->scaled(cut->size() * kEnlarge, Qt::KeepAspectRatio,
                                                            Qt::SmoothTransformation)));
    } else {
        m_picture->setText(QStringLiteral("（没有图像）"));
    }
    const QString child = m_book.Child(item.page);
    m_sheet->setText(QStringLiteral("第 %1 份%2 · 第 %3 题")
                         .arg(m_book.page(item.page).page.marks.sheet.sheet)
                         .arg(child.isEmpty() ? QString() : QStringLiteral(" · ") + child)
                         .arg(mark.number));
    m_problem->setText(QString::fromStdString(mark.problem));
    if (!m_wrongPass) {
        m_heading->setText(QStringLiteral("核对"));
        m_value->show();
        m_value->setText(mark.reading.blank ? QString() : QString::fromStdString(mark.reading.digits));
        m_value->selectAll();
        m_value->setFocus();
        m_expected->clear();
        m_keys->setText(QStringLiteral("Enter：认可　　打数字再按 Enter：改成这个数　　空格：框里是空白的"));
    } else {
        m_heading->setText(QStringLiteral("检查“错”"));
        m_value->hide();
        const QString read = mark.reading.blank ? QStringLiteral("空白") : QString::fromStdString(mark.reading.digits);
        m_expected->setText(QStringLiteral("应为 %1　（读作 %2）").arg(*mark.result).arg(read));
        m_keys->setText(QStringLiteral("Enter：确实错了　　空格：其实写对了，改判为对"));
        setFocus();
    }
    Counted();
}

void ConfirmPanel::Counted() {
    m_left->setText(m_wrongPass ? QStringLiteral("还剩 %1 个“错”").arg(m_book.WrongLeft())
                                : QStringLiteral("还剩 %1 题待核").arg(m_book.DoubtfulLeft()));
}

void ConfirmPanel::Accept() {
    if (!m_item) return;
    const MarkingBook::Item item = *m_item;
    if (m_wrongPass) {
        m_book.LookAtWrong(item, false);
    } else {
        const QString typed = m_value->text().trimmed();
        // Enter on an emptied field: the box is blank, as Space says.
        m_book.Confirm(item, typed.isEmpty() ? std::nullopt : std::optional<QString>(QString::number(typed.toInt())));
    }
    emit decided(item.page);
    ShowNext();
}

void ConfirmPanel::Blank() {
    if (!m_item) return;
    const MarkingBook::Item item = *m_item;
    if (m_wrongPass) m_book.LookAtWrong(item, true);
    else m_book.Confirm(item, std::nullopt);
    emit decided(item.page);
    ShowNext();
}

bool ConfirmPanel::eventFilter(QObject* watched, QEvent* event) {
    // Taken here, not from returnPressed: the line edit passes Enter on to this panel too,
    // which would accept the next answer with it.
    if (watched == m_value && event->type() == QEvent::KeyPress) {
        switch (static_cast<QKeyEvent*>(event)->key()) {
            case Qt::Key_Space:
                Blank();
                return true;
            case Qt::Key_Return:
            case Qt::Key_Enter:
                Accept();
                return true;
            default:
                break;
        }
    }
    return QWidget::eventFilter(watched, event);
}

void ConfirmPanel::keyPressEvent(QKeyEvent* event) {
    switch (event->key()) {
        case Qt::Key_Return:
        case Qt::Key_Enter:
            Accept();
            return;
        case Qt::Key_Space:
            Blank();
            return;
        default:
            QWidget::keyPressEvent(event);
    }
}
