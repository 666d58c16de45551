#include "ProgressWindow.h"

#include <QComboBox>
#include <QDateTime>
#include <QDir>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QInputDialog>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QRegularExpression>
#include <QSaveFile>
#include <QStandardPaths>
#include <QTableWidget>
#include <QVBoxLayout>

#include "PracticeStore.h"
#include "ProgressChart.h"
#include "ui/FileDialog.h"
#include "ui/MessageBox.h"

namespace {

QString Date(std::int64_t ms) {
    return QDateTime::fromMSecsSinceEpoch(ms).toString(QStringLiteral("yyyy-MM-dd HH:mm"));
}

QString Duration(std::int64_t ms) {
    const std::int64_t seconds = ms / 1000;
    return QStringLiteral("%1:%2").arg(seconds / 60).arg(seconds % 60, 2, 10, QLatin1Char('0'));
}

// Where the sheet was done: 纸 (on paper, marked from a scan) or 屏 (on screen).
QString Mode(const PracticeRecords::FinishedSession& s) { return s.paper ? QStringLiteral("纸") : QStringLiteral("屏"); }

// A name as a spreadsheet reads it: quoted when it holds a comma, a quote or a line break, and
// never taken for a formula (a name typed as "=..." would otherwise be run as one).
QString CsvField(QString text) {
    if (!text.isEmpty() && QStringLiteral("=+-@").contains(text.front())) text.prepend(QLatin1Char('\''));
    static const QRegularExpression needsQuotes(QStringLiteral("[,\"\r\n]"));
    if (!text.contains(needsQuotes)) return text;
    return QLatin1Char('"') + text.replace(QLatin1Char('"'), QStringLiteral("\"\"")) + QLatin1Char('"');
}

}  // namespace

ProgressWindow::ProgressWindow(std::shared_ptr<PracticeStore> store, const QString& child, QWidget* parent)
    : QWidget(parent, Qt::Window), m_store(std::move(store)) {
    setObjectName(QStringLiteral("ProgressWindow"));
    setAttribute(Qt::WA_DeleteOnClose);
    setWindowTitle(QStringLiteral("练习记录"));

    m_child = new QComboBox(this);
    m_child->setObjectName(QStringLiteral("ProgressChild"));
    if (PracticeRecords* records = m_store->records()) {
        const auto names = records->Children();
        if (m_store->CheckRead(names.has_value(), parent)) {
            for (const auto& name : *names) m_child->addItem(QString::fromStdString(name));
        }
    }
    if (!child.isEmpty() && m_child->findText(child) < 0) m_child->addItem(child);
    m_child->setCurrentText(child.isEmpty() ? m_child->itemText(0) : child);
    m_chart = new ProgressChart(this);
    m_sessions = new QTableWidget(0, 6, this);
    m_sessions->setObjectName(QStringLiteral("ProgressSessions"));
    m_sessions->setHorizontalHeaderLabels(
        {QStringLiteral("日期"), QStringLiteral("方式"), QStringLiteral("试卷"), QStringLiteral("得分"), QStringLiteral("用时"),
         QStringLiteral("每分钟答对")});
    m_sessions->setEditTriggers(QAbstractItemView::NoEditTriggers);
    m_sessions->verticalHeader()->hide();
    m_sessions->horizontalHeader()->setSectionResizeMode(QHeaderView::Stretch);
    // The dates are measured once a child's rows are in (ShowChild): measuring them on every
    // new cell took seconds for a child with a thousand sessions.
    m_sessions->horizontalHeader()->setSectionResizeMode(0, QHeaderView::Interactive);
    m_sessions->horizontalHeader()->setSectionResizeMode(1, QHeaderView::ResizeToContents);
    m_sessions->horizontalHeader()->setSectionResizeMode(2, QHeaderView::Interactive);
    m_sessions->setSelectionBehavior(QAbstractItemView::SelectRows);
    m_sessions->setSelectionMode(QAbstractItemView::SingleSelection);
    m_missed = new QListWidget(this);
    m_missed->setObjectName(QStringLiteral("MostMissed"));
    m_missed->setMaximumWidth(220);
    auto* exportButton = new QPushButton(QStringLiteral("导出 CSV…"), this);
    exportButton->setObjectName(QStringLiteral("ExportCsv"));
    // Mistakes put right: a session under the wrong name or of the wrong sheet, a name typed
    // two ways, a child who has left. Each asks first.
    auto* deleteSession = new QPushButton(QStringLiteral("删除这次练习(&D)…"), this);
    deleteSession->setObjectName(QStringLiteral("DeleteSession"));
    deleteSession->setToolTip(QStringLiteral("删除表里选中的这次练习，它带进错题本的错题也一起去掉"));
    auto* renameChild = new QPushButton(QStringLiteral("改名或合并(&R)…"), this);
    renameChild->setObjectName(QStringLiteral("RenameChild"));
    renameChild->setToolTip(QStringLiteral("改成另一个孩子已有的名字时，两人的记录合在一起"));
    auto* deleteChild = new QPushButton(QStringLiteral("删除这个孩子的记录…"), this);
    deleteChild->setObjectName(QStringLiteral("DeleteChild"));
    auto* notSaving = new QLabel(m_store->notSaving(), this);
    notSaving->setWordWrap(true);
    notSaving->setStyleSheet(QStringLiteral("color: #b3261e;"));
    notSaving->setVisible(!m_store->records());
    m_notSaving = notSaving;

    auto* top = new QHBoxLayout;
    top->addWidget(new QLabel(QStringLiteral("孩子："), this));
    top->addWidget(m_child, 1);
    top->addWidget(renameChild);
    top->addWidget(deleteChild);
    top->addStretch(1);
    top->addWidget(exportButton);
    auto* missedColumn = new QVBoxLayout;
    missedColumn->addWidget(new QLabel(QStringLiteral("最常错的十道题"), this));
    missedColumn->addWidget(m_missed);
    auto* sessionsColumn = new QVBoxLayout;
    sessionsColumn->addWidget(m_sessions, 1);
    sessionsColumn->addWidget(deleteSession, 0, Qt::AlignLeft);
    auto* lower = new QHBoxLayout;
    lower->addLayout(sessionsColumn, 1);
    lower->addLayout(missedColumn);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(top);
    layout->addWidget(notSaving);
    layout->addWidget(m_chart, 1);
    layout->addLayout(lower, 1);
    resize(820, 640);

    connect(m_child, &QComboBox::currentTextChanged, this, &ProgressWindow::ShowChild);
    connect(exportButton, &QPushButton::clicked, this, &ProgressWindow::AskAndExport);
    connect(deleteSession, &QPushButton::clicked, this, &ProgressWindow::DeleteSelectedSession);
    connect(renameChild, &QPushButton::clicked, this, &ProgressWindow::RenameChild);
    connect(deleteChild, &QPushButton::clicked, this, &ProgressWindow::DeleteChild);
    ShowChild();
}

void ProgressWindow::ShowChild() {
    PracticeRecords* records = m_store->records();
    const std::string child = m_child->currentText().toStdString();
    std::vector<PracticeRecords::FinishedSession> sessions;
    if (records) {
        auto read = records->Finished(child);
        if (read) sessions = std::move(*read);
        else m_store->CheckRead(false, this);
    }
    m_sessions->setUpdatesEnabled(false);
    m_sessions->setRowCount(static_cast<int>(sessions.size()));
    // The latest first in the list; the chart reads left to right in time.
    for (int row = 0; row < static_cast<int>(sessions.size()); ++row) {
        const auto& s = sessions[sessions.size() - 1 - row];
        // Two sheets of the same number from different runs are told apart by when they were made.
        // A paper sheet's time is known only where it was typed in.
        const bool timed = !s.paper || s.elapsedMs > 0;
        const QStringList cells{Date(s.finishedMs),
                                Mode(s),
                                s.paper ? QStringLiteral("第 %1 份").arg(s.sheet)
                                        : QStringLiteral("第 %1 份 · %2 出题")
                                              .arg(s.sheet)
                                              .arg(QDateTime::fromMSecsSinceEpoch(s.madeMs).toString(QStringLiteral("MM-dd HH:mm"))),
                                QStringLiteral("%1/%2").arg(s.right).arg(s.asked),
                                timed ? Duration(s.elapsedMs) : QStringLiteral("—"),
                                timed ? QString::number(s.RatePerMinute(), 'f', 1) : QStringLiteral("—")};
        for (int column = 0; column < cells.size(); ++column) {
            auto* item = new QTableWidgetItem(cells[column]);
            item->setData(Qt::UserRole, QVariant::fromValue<qlonglong>(s.id));
            m_sessions->setItem(row, column, item);
        }
    }
    m_sessions->resizeColumnToContents(0);
    m_sessions->resizeColumnToContents(2);
    m_sessions->setUpdatesEnabled(true);
    m_chart->SetSessions(sessions);
    m_missed->clear();
    records = m_store->records();
    const auto most = records ? records->MostMissed(child, 10) : std::nullopt;
    if (records && !most) m_store->CheckRead(false, this);
    if (most) {
        for (const auto& entry : *most) {
            m_missed->addItem(QStringLiteral("%1%2　错 %3 次%4")
                                  .arg(QString::fromStdString(entry.problem.text))
                                  .arg(entry.problem.value)
                                  .arg(entry.timesMissed)
                                  .arg(entry.retired ? QStringLiteral("（已练会）") : QString()));
        }
    }
    m_notSaving->setText(m_store->notSaving());
    m_notSaving->setVisible(!m_store->notSaving().isEmpty());
}

bool ProgressWindow::ExportCsv(const QString& path, QString& error) const {
    PracticeRecords* records = m_store->records();
    const QString child = m_child->currentText();
    QString csv = QStringLiteral("\uFEFF姓名,日期,方式,试卷,答对,题数,得分,用时（秒）,每分钟答对\r\n");
    const auto sessions = records ? records->Finished(child.toStdString()) : std::nullopt;
    if (records && !sessions) {
        error = QString::fromStdString(records->lastError().detail);
        return false;
    }
    if (sessions) {
        for (const auto& s : *sessions) {
            const bool timed = !s.paper || s.elapsedMs > 0;
            csv += QStringList{CsvField(child), Date(s.finishedMs), Mode(s), QString::number(s.sheet),
                               QString::number(s.right), QString::number(s.asked), QString::number(s.Percent(), 'f', 0),
                               timed ? QString::number(s.elapsedMs / 1000) : QString(),
                               timed ? QString::number(s.RatePerMinute(), 'f', 1) : QString()}
                       .join(QLatin1Char(',')) +
                   QStringLiteral("\r\n");
        }
    }
    // Written beside and put in place at the end: a failed export leaves an older file whole.
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly) || file.write(csv.toUtf8()) < 0 || !file.commit()) {
        error = file.errorString();
        return false;
    }
    return true;
}

void ProgressWindow::DeleteSelectedSession() {
    PracticeRecords* records = m_store->records();
    const QList<QTableWidgetItem*> selected = m_sessions->selectedItems();
    if (!records || selected.isEmpty()) {
        MessageBox::Information(this, QStringLiteral("删除这次练习"), QStringLiteral("请先在表里点一下要删除的那次练习。"));
        return;
    }
    const int row = selected.front()->row();
    const auto id = selected.front()->data(Qt::UserRole).toLongLong();
    const QString what = QStringLiteral("%1 %2（%3，%4）")
                             .arg(m_sessions->item(row, 0)->text(), m_sessions->item(row, 2)->text(),
                                  m_sessions->item(row, 3)->text(), m_child->currentText());
    if (MessageBox::Question(this, QStringLiteral("删除这次练习"),
                             QStringLiteral("删除 %1 这次练习吗？\r\n它的成绩和它带进错题本的错题都会去掉，删除后不能恢复。").arg(what),
                             QMessageBox::Yes | QMessageBox::No, QMessageBox::No) != QMessageBox::Yes) {
        return;
    }
    if (!records->DeleteSession(id)) Said(QStringLiteral("删除这次练习"));
    ShowChild();
}

void ProgressWindow::RenameChild() {
    PracticeRecords* records = m_store->records();
    const QString from = m_child->currentText();
    if (!records || from.isEmpty()) return;
    bool given = false;
    const QString to = QInputDialog::getText(this, QStringLiteral("改名或合并"),
                                             QStringLiteral("“%1”的新名字（写另一个孩子已有的名字，就把两人的记录合在一起）：").arg(from),
                                             QLineEdit::Normal, from, &given)
                           .trimmed();
    if (!given || to.isEmpty() || to == from) return;
    const bool merge = m_child->findText(to) >= 0;
    const QString question = merge ? QStringLiteral("把“%1”的记录合到“%2”里吗？\r\n合并后只剩“%2”，两人的错题本合成一个，不能再分开。").arg(from, to)
                                   : QStringLiteral("把“%1”改名为“%2”吗？").arg(from, to);
    if (MessageBox::Question(this, QStringLiteral("改名或合并"), question, QMessageBox::Yes | QMessageBox::No,
                             QMessageBox::No) != QMessageBox::Yes) {
        return;
    }
    if (!records->RenameChild(from.toStdString(), to.toStdString())) {
        Said(QStringLiteral("改名或合并"));
        return;
    }
    m_child->removeItem(m_child->findText(from));
    if (m_child->findText(to) < 0) m_child->addItem(to);
    m_child->setCurrentText(to);
    ShowChild();
}

void ProgressWindow::DeleteChild() {
    PracticeRecords* records = m_store->records();
    const QString child = m_child->currentText();
    if (!records || child.isEmpty()) return;
    if (MessageBox::Question(this, QStringLiteral("删除这个孩子的记录"),
                             QStringLiteral("删除“%1”的全部练习记录和错题本吗？删除后不能恢复。").arg(child),
                             QMessageBox::Yes | QMessageBox::No, QMessageBox::No) != QMessageBox::Yes) {
        return;
    }
    if (!records->DeleteChild(child.toStdString())) {
        Said(QStringLiteral("删除这个孩子的记录"));
        return;
    }
    m_child->removeItem(m_child->currentIndex());
    ShowChild();
}

// A change that could not be made: a session being answered in a window, or the file.
void ProgressWindow::Said(const QString& title) {
    PracticeRecords* records = m_store->records();
    if (records && records->lastError().failure == PracticeRecords::Failure::Gone) {
        MessageBox::Information(this, title, QStringLiteral("这次练习正在另一个窗口里做，交卷或关掉那个窗口后再删除。"));
        return;
    }
    m_store->Check(false, this);
}

void ProgressWindow::AskAndExport() {
    QString folder = QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation);
    if (folder.isEmpty() || !QDir(folder).exists()) folder = QDir::homePath();
    // A name is not always a good file name: no separators or characters Windows refuses.
    QString name = m_child->currentText();
    name.replace(QRegularExpression(QStringLiteral("[\\\\/:*?\"<>|]")), QStringLiteral("_"));
    const QString path = FileDialog::Save(this, QStringLiteral("导出练习记录"),
                                          folder + QStringLiteral("/练习记录-%1.csv").arg(name),
                                          QStringLiteral("CSV 文件 (*.csv)"), QStringLiteral("csv"));
    if (path.isEmpty()) return;
    QString error;
    if (ExportCsv(path, error)) {
        MessageBox::Information(this, QStringLiteral("导出练习记录"),
                                QStringLiteral("练习记录已导出到“%1”。").arg(QDir::toNativeSeparators(path)));
    } else {
        MessageBox::Warning(this, QStringLiteral("导出练习记录"),
                            QStringLiteral("无法写入“%1”：%2\r\n请换一个文件夹再试。").arg(QDir::toNativeSeparators(path), error));
    }
}
