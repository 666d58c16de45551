#include "MarkingWindow.h"

#include <QCloseEvent>
#include <QComboBox>
#include <QDir>
#include <QFileInfo>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QJsonDocument>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QProgressBar>
#include <QPushButton>
#include <QSaveFile>
#include <QShortcut>
#include <QStackedWidget>
#include <QStandardPaths>
#include <QTableWidget>
#include <QTextBrowser>
#include <QThread>
#include <QTimer>
#include <QVBoxLayout>

#include "ConfirmPanel.h"
#include "export/DocumentWriter.h"
#include "markrun/MarkedPdf.h"
#include "markrun/PaperRecords.h"
#include "practice/Clock.h"
#include "scan/PdfImages.h"
#include "ui/FileDialog.h"
#include "ui/MessageBox.h"
#include "ui/Settings.h"
#include "ui/practice/PracticeStore.h"

namespace {

const QString kTitle = QStringLiteral("批改纸质试卷");

enum Column { kFile, kSheet, kName, kScore, kUndecided, kMinutes, kColumns };

QString Where(const markrun::MarkedPage& page) {
    const QString file = QFileInfo(QString::fromStdString(page.file)).fileName();
    return page.page > 0 ? QStringLiteral("%1 第 %2 页").arg(file).arg(page.page) : file;
}

scan::GreyImage GreyOf(const QByteArray& jpeg) {
    const QImage image = QImage::fromData(jpeg, "JPEG").convertToFormat(QImage::Format_Grayscale8);
    scan::GreyImage grey(image.width(), image.height());
    for (int y = 0; y < image.height(); ++y) {
        const uchar* row = image.constScanLine(y);
        std::copy(row, row + image.width(), grey.pixels.begin() + static_cast<std::ptrdiff_t>(y) * image.width());
    }
    return grey;
}

QString Escaped(const QString& text) { return text.toHtmlEscaped(); }

// Where a file is offered to be saved: the documents folder where the desktop has one.
QString DocumentsFolder() {
    const QString folder = QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation);
    return folder.isEmpty() || !QDir(folder).exists() ? QDir::homePath() : folder;
}

}  // namespace

QString MarkingWindow::KeptPath(const QString& recordsPath) {
    return QFileInfo(recordsPath).absolutePath() + QStringLiteral("/marking-unfinished.json");
}

MarkingWindow::MarkingWindow(const QStringList& files, const practice::Clock& clock, QWidget* parent,
                             const QJsonObject& decisions)
    : QWidget(parent, Qt::Window), m_files(files), m_clock(clock) {
    setObjectName(QStringLiteral("MarkingWindow"));
    setAttribute(Qt::WA_DeleteOnClose);
    // The scan's name in the title, to tell two markings apart in the task bar.
    const QString first = files.isEmpty() ? QString() : QFileInfo(files.front()).fileName();
    // While the pages are read the title says so, in the task bar too.
    setWindowTitle((files.size() > 1 ? QStringLiteral("%1 · %2 等 %3 个文件").arg(kTitle, first).arg(files.size())
                    : files.size() == 1 ? QStringLiteral("%1 · %2").arg(kTitle, first)
                                        : kTitle) +
                   QStringLiteral("（正在读）"));
    m_book.Expect(decisions);

    m_status = new QLabel(this);
    m_status->setObjectName(QStringLiteral("MarkingStatus"));
    m_progress = new QProgressBar(this);
    m_progress->setObjectName(QStringLiteral("MarkingProgress"));
    m_progress->setMaximum(0);
    m_cancelButton = new QPushButton(QStringLiteral("取消"), this);
    m_cancelButton->setObjectName(QStringLiteral("MarkingCancel"));

    m_sheets = new QTableWidget(0, kColumns, this);
    m_sheets->setObjectName(QStringLiteral("MarkedSheets"));
    m_sheets->setHorizontalHeaderLabels({QStringLiteral("扫描"), QStringLiteral("份"), QStringLiteral("姓名"),
                                         QStringLiteral("得分"), QStringLiteral("待核"), QStringLiteral("用时（分）")});
    m_sheets->verticalHeader()->hide();
    m_sheets->setSelectionBehavior(QAbstractItemView::SelectRows);
    m_sheets->horizontalHeader()->setSectionResizeMode(QHeaderView::ResizeToContents);
    m_sheets->horizontalHeader()->setSectionResizeMode(kName, QHeaderView::Stretch);
    m_unreadable = new QListWidget(this);
    m_unreadable->setObjectName(QStringLiteral("UnreadablePages"));
    m_unreadable->setMaximumHeight(110);

    m_right = new QStackedWidget(this);
    m_confirm = new ConfirmPanel(m_book, m_right);
    m_summary = new QTextBrowser(m_right);
    m_summary->setObjectName(QStringLiteral("ClassSummary"));
    auto* hint = new QLabel(QStringLiteral("读完以后按 F2 核对，一道一道确认程序拿不准的答案。\r\n"
                                           "全程可以只用键盘：Enter 认可，打数字改，空格表示空白。"),
                            m_right);
    hint->setWordWrap(true);
    hint->setAlignment(Qt::AlignCenter);
    m_right->addWidget(hint);
    m_right->addWidget(m_confirm);
    m_right->addWidget(m_summary);

    auto* confirm = new QPushButton(QStringLiteral("核对（F2）"), this);
    confirm->setObjectName(QStringLiteral("StartConfirming"));
    auto* summary = new QPushButton(QStringLiteral("班级小结(&J)"), this);
    summary->setObjectName(QStringLiteral("ShowSummary"));
    auto* pdf = new QPushButton(QStringLiteral("保存批改后的 PDF…"), this);
    pdf->setObjectName(QStringLiteral("SaveMarkedPdf"));
    auto* csv = new QPushButton(QStringLiteral("导出 CSV…"), this);
    csv->setObjectName(QStringLiteral("ExportMarkingCsv"));
    auto* record = new QPushButton(QStringLiteral("记入练习记录(&R)"), this);
    record->setObjectName(QStringLiteral("RecordMarking"));

    auto* top = new QHBoxLayout;
    top->addWidget(m_status, 1);
    top->addWidget(m_progress, 1);
    top->addWidget(m_cancelButton);
    auto* left = new QVBoxLayout;
    left->addWidget(m_sheets, 1);
    left->addWidget(new QLabel(QStringLiteral("读不了的页："), this));
    left->addWidget(m_unreadable);
    auto* middle = new QHBoxLayout;
    middle->addLayout(left, 5);
    middle->addWidget(m_right, 6);
    auto* buttons = new QHBoxLayout;
    buttons->addWidget(confirm);
    buttons->addWidget(summary);
    buttons->addStretch(1);
    buttons->addWidget(pdf);
    buttons->addWidget(csv);
    buttons->addWidget(record);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(top);
    layout->addLayout(middle, 1);
    layout->addLayout(buttons);
    resize(1180, 720);

    connect(m_cancelButton, &QPushButton::clicked, this, &MarkingWindow::Cancel);
    connect(confirm, &QPushButton::clicked, this, &MarkingWindow::StartConfirming);
    connect(new QShortcut(QKeySequence(Qt::Key_F2), this), &QShortcut::activated, this, &MarkingWindow::StartConfirming);
    connect(summary, &QPushButton::clicked, this, &MarkingWindow::ShowSummary);
    connect(pdf, &QPushButton::clicked, this, &MarkingWindow::AskAndSavePdf);
    connect(csv, &QPushButton::clicked, this, &MarkingWindow::AskAndSaveCsv);
    connect(record, &QPushButton::clicked, this, &MarkingWindow::Record);
    connect(m_confirm, &ConfirmPanel::decided, this, [this](int page) {
        UpdateRow(page);
        if (!reading()) ShowStatus();
        m_keep->start();
    });
    connect(m_confirm, &ConfirmPanel::finished, this, [this] {
        if (!reading()) ShowSummary();
    });
    connect(m_sheets, &QTableWidget::itemChanged, this, [this](QTableWidgetItem* item) {
        if (item->column() != kMinutes) return;
        m_book.SetMinutes(item->data(Qt::UserRole).toInt(), item->text().toInt());
        m_keep->start();
    });
    // What is decided is kept within a moment, not on every key: a key stays instant.
    m_keep = new QTimer(this);
    m_keep->setSingleShot(true);
    m_keep->setInterval(200);
    connect(m_keep, &QTimer::timeout, this, &MarkingWindow::Keep);

    m_children = RememberedClassNames();
    PracticeStore store;
    if (PracticeRecords* records = store.records()) {
        if (const auto names = records->Children()) {
            for (const auto& name : *names) {
                if (!m_children.contains(QString::fromStdString(name))) m_children << QString::fromStdString(name);
            }
        }
    }
    Read();
}

MarkingWindow::~MarkingWindow() {
    // The pages in hand are finished and dropped: a second or so at most.
    if (m_thread) {
        m_cancel = true;
        m_thread->wait();
        delete m_thread;
    }
}

void MarkingWindow::Read() {
    std::vector<std::string> files;
    for (const QString& file : m_files) files.push_back(file.toStdString());
    m_status->setText(QStringLiteral("正在读扫描的试卷…"));
    m_thread = QThread::create([this, files] {
        // The pages are counted first (a PDF's page list is quick to read), for the bar.
        int total = 0;
        for (const std::string& file : files) total += std::max(1, scan::PdfPageCount(file));
        QMetaObject::invokeMethod(this, [this, total] { m_progress->setMaximum(total); }, Qt::QueuedConnection);
        markrun::Options options;
        options.keepStraight = true;
        options.cancel = &m_cancel;
        int unreadableFiles = 0;
        markrun::MarkFiles(files, options, [this](markrun::MarkedPage& page) {
            auto prepared = std::make_shared<MarkingBook::Page>(MarkingBook::Prepare(std::move(page)));
            QMetaObject::invokeMethod(this, [this, prepared] { Arrived(prepared); }, Qt::QueuedConnection);
        }, unreadableFiles);
    });
    connect(m_thread, &QThread::finished, this, [this] {
        m_thread->deleteLater();
        m_thread = nullptr;
        ReadingDone();
    });
    m_thread->start();
}

void MarkingWindow::Cancel() {
    m_cancel = true;
    m_cancelButton->setEnabled(false);
    m_status->setText(QStringLiteral("正在停下…"));
}

void MarkingWindow::Arrived(std::shared_ptr<MarkingBook::Page> page) {
    const int index = m_book.Add(std::move(*page));
    const markrun::MarkedPage& marked = m_book.page(index).page;
    if (marked.marks.recognised) {
        AddRow(index);
    } else {
        m_unreadable->addItem(QStringLiteral("%1：%2").arg(Where(marked), QString::fromStdString(marked.marks.reason)));
    }
    // Counted from the pages in the book: a fresh bar's value is -1, not 0.
    const int read = static_cast<int>(m_book.pages().size());
    m_progress->setValue(std::min(m_progress->maximum(), read));
    if (!m_cancel) m_status->setText(QStringLiteral("正在读：第 %1 / %2 页").arg(read).arg(m_progress->maximum()));
    // 核对 waiting for more takes up the new page's answers; one being answered is left as it is.
    if (m_right->currentWidget() == m_confirm && !m_confirm->current()) m_confirm->ShowNext();
}

void MarkingWindow::ShowStatus() {
    int sheets = 0;
    for (const auto& page : m_book.pages()) sheets += page.page.marks.recognised;
    m_status->setText(QStringLiteral("%1：%2 份试卷，%3 页读不了，%4 题待核")
                          .arg(m_cancel ? QStringLiteral("已取消") : QStringLiteral("读完了"))
                          .arg(sheets)
                          .arg(m_unreadable->count())
                          .arg(m_book.DoubtfulLeft()));
}

void MarkingWindow::ReadingDone() {
    setWindowTitle(windowTitle().remove(QStringLiteral("（正在读）")));
    ShowStatus();
    m_progress->setValue(m_progress->maximum());
    m_cancelButton->hide();
}

void MarkingWindow::AddRow(int index) {
    const MarkingBook::Page& page = m_book.page(index);
    const int row = m_sheets->rowCount();
    m_sheets->blockSignals(true);
    m_sheets->insertRow(row);
    auto cell = [&](int column, const QString& text, bool editable = false) {
        auto* item = new QTableWidgetItem(text);
        item->setData(Qt::UserRole, index);
        if (!editable) item->setFlags(item->flags() & ~Qt::ItemIsEditable);
        m_sheets->setItem(row, column, item);
    };
    cell(kFile, Where(page.page));
    cell(kSheet, QString::number(page.page.marks.sheet.sheet));
    if (page.page.marks.sheet.name.empty()) {
        // A sheet printed without a name is given one here: typed, or one of the class.
        auto* name = new QComboBox(m_sheets);
        name->setObjectName(QStringLiteral("SheetName_%1").arg(index));
        name->setEditable(true);
        name->addItems(m_children);
        name->setCurrentText(page.typedName);
        name->lineEdit()->setPlaceholderText(QStringLiteral("（没有姓名：请填上）"));
        connect(name, &QComboBox::currentTextChanged, this, [this, index](const QString& text) {
            m_book.SetTypedName(index, text);
            m_keep->start();
        });
        cell(kName, QString());
        m_sheets->setCellWidget(row, kName, name);
    } else {
        cell(kName, QString::fromStdString(page.page.marks.sheet.name));
    }
    cell(kScore, QString());
    cell(kUndecided, QString());
    cell(kMinutes, page.minutes > 0 ? QString::number(page.minutes) : QString(), true);
    m_sheets->blockSignals(false);
    UpdateRow(index);
}

void MarkingWindow::UpdateRow(int index) {
    for (int row = 0; row < m_sheets->rowCount(); ++row) {
        if (m_sheets->item(row, kFile)->data(Qt::UserRole).toInt() != index) continue;
        const int undecided = m_book.Undecided(index);
        m_sheets->blockSignals(true);
        // The score once every answer is decided; until then what it is at least.
        m_sheets->item(row, kScore)->setText(undecided == 0 ? QString::number(m_book.Score(index))
                                                            : QStringLiteral("≥ %1").arg(m_book.Score(index)));
        m_sheets->item(row, kUndecided)->setText(undecided == 0 ? QString() : QString::number(undecided));
        m_sheets->blockSignals(false);
        return;
    }
}

void MarkingWindow::StartConfirming() {
    m_right->setCurrentWidget(m_confirm);
    m_confirm->ShowNext();
}

void MarkingWindow::ShowSummary() {
    const MarkingBook::Summary summary = m_book.Summarise();
    QString html = QStringLiteral("<h2>班级小结</h2>");
    if (summary.sheets == 0) {
        m_summary->setHtml(html + QStringLiteral("<p>还没有认出的试卷。</p>"));
        m_right->setCurrentWidget(m_summary);
        return;
    }
    html += QStringLiteral("<p>%1 份试卷，平均 <b>%2</b> 分").arg(summary.sheets).arg(summary.average, 0, 'f', 1);
    if (const int left = m_book.DoubtfulLeft(); left > 0) html += QStringLiteral("（还有 %1 题待核，没有算进去）").arg(left);
    html += QStringLiteral("。</p><table width='100%'><tr><td valign='top'><b>错的人最多的十道题</b><ol>");
    for (const auto& fact : summary.missedByMost) {
        html += QStringLiteral("<li>%1　%2 人错</li>").arg(Escaped(fact.problem)).arg(fact.children);
    }
    html += QStringLiteral("</ol></td><td valign='top'><b>最慢的题</b>（留空的人最多：没做到或不会）<ol>");
    for (const auto& fact : summary.slowest) {
        html += QStringLiteral("<li>%1　%2 人空着</li>").arg(Escaped(fact.problem)).arg(fact.children);
    }
    html += QStringLiteral("</ol></td></tr></table><p><b>每人得分</b></p><table cellpadding='3'>");
    for (int i = 0; i < static_cast<int>(m_book.pages().size()); ++i) {
        if (!m_book.page(i).page.marks.recognised) continue;
        const QString child = m_book.Child(i);
        html += QStringLiteral("<tr><td>第 %1 份</td><td>%2</td><td align='right'>%3</td></tr>")
                    .arg(m_book.page(i).page.marks.sheet.sheet)
                    .arg(child.isEmpty() ? QStringLiteral("（没有姓名）") : Escaped(child))
                    .arg(m_book.Score(i));
    }
    m_summary->setHtml(html + QStringLiteral("</table>"));
    m_right->setCurrentWidget(m_summary);
}

bool MarkingWindow::SaveMarkedPdf(const QString& path, QString& error) const {
    try {
        markrun::MarkedPdf pdf(path.toStdString(), /*replace=*/true);  // the dialog asked first
        for (const MarkingBook::Page& page : m_book.pages()) {
            if (!page.page.marks.recognised || page.straightJpeg.isEmpty()) continue;
            markrun::MarkedPage marked = page.page;
            marked.marks.straight = GreyOf(page.straightJpeg);
            pdf.Add(marked);
        }
        if (pdf.pages() == 0) {
            error = QStringLiteral("没有认出的试卷");
            return false;
        }
        pdf.Finish();
    } catch (const pellarin::DocumentError& e) {
        error = QString::fromStdString(e.what());
        return false;
    }
    return true;
}

bool MarkingWindow::SaveCsv(const QString& path, QString& error) const {
    std::string csv = markrun::CsvHeader();
    for (const MarkingBook::Page& page : m_book.pages()) csv += markrun::CsvRows(page.page);
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly) || file.write(csv.data(), static_cast<qint64>(csv.size())) < 0 || !file.commit()) {
        error = file.errorString();
        return false;
    }
    return true;
}

void MarkingWindow::AskAndSavePdf() {
    const QString path = FileDialog::Save(this, QStringLiteral("保存批改后的 PDF"), DocumentsFolder() + QStringLiteral("/批改后的试卷.pdf"),
                                          QStringLiteral("PDF 文件 (*.pdf)"), QStringLiteral("pdf"));
    if (path.isEmpty()) return;
    QString error;
    if (SaveMarkedPdf(path, error)) {
        MessageBox::Information(this, kTitle, QStringLiteral("批改后的试卷已保存到“%1”。").arg(QDir::toNativeSeparators(path)));
    } else {
        MessageBox::Warning(this, kTitle, QStringLiteral("无法写入“%1”：%2").arg(QDir::toNativeSeparators(path), error));
    }
}

void MarkingWindow::AskAndSaveCsv() {
    const QString path = FileDialog::Save(this, QStringLiteral("导出 CSV"), DocumentsFolder() + QStringLiteral("/批改结果.csv"),
                                          QStringLiteral("CSV 文件 (*.csv)"), QStringLiteral("csv"));
    if (path.isEmpty()) return;
    QString error;
    if (SaveCsv(path, error)) {
        MessageBox::Information(this, kTitle, QStringLiteral("批改结果已导出到“%1”。").arg(QDir::toNativeSeparators(path)));
    } else {
        MessageBox::Warning(this, kTitle,
                            QStringLiteral("无法写入“%1”：%2\r\n请换一个文件夹再试。").arg(QDir::toNativeSeparators(path), error));
    }
}

void MarkingWindow::Record() {
    const QString title = QStringLiteral("记入练习记录");
    PracticeStore store;
    if (!store.records()) {
        // Said as practice says it; the marked pages and the CSV can still be saved.
        store.ReportOpening(this);
        return;
    }
    PracticeRecords& records = *store.records();
    std::vector<int> named;
    int nameless = 0, undecided = 0;
    for (int i = 0; i < static_cast<int>(m_book.pages().size()); ++i) {
        if (!m_book.page(i).page.marks.recognised) continue;
        if (m_book.Child(i).isEmpty()) {
            ++nameless;
            continue;
        }
        named.push_back(i);
        undecided += m_book.Undecided(i);
    }
    if (named.empty()) {
        MessageBox::Information(this, title,
                                nameless > 0 ? QStringLiteral("试卷上都没有姓名。请在表的“姓名”一栏填上，再记入练习记录。")
                                             : QStringLiteral("还没有认出的试卷可以记入。"));
        return;
    }
    if (undecided > 0 &&
        MessageBox::Question(this, title,
                             QStringLiteral("还有 %1 题待核。待核的题不算对也不算错，现在就记入吗？\r\n"
                                            "选“否”，先按“核对”确认完再记入。")
                                 .arg(undecided),
                             QMessageBox::Yes | QMessageBox::No, QMessageBox::No) != QMessageBox::Yes) {
        return;
    }
    std::vector<std::string> keys;
    for (int i : named) keys.push_back(markrun::SheetKey(m_book.page(i).page.marks.sheet, m_book.Child(i).toStdString()));
    const auto recorded = records.RecordedPaper(keys);
    if (!store.CheckRead(recorded.has_value(), this)) return;
    bool replace = true;
    if (!recorded->empty()) {
        const auto answer = MessageBox::Question(
            this, title,
            QStringLiteral("有 %1 份试卷以前已经记入过练习记录（同一份试卷又批改了一次）。\r\n"
                           "选“是”，用这次的结果替换上次的；选“否”，这几份不再记入。同一份试卷不会重复计算。")
                .arg(recorded->size()),
            QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel, QMessageBox::Yes);
        if (answer == QMessageBox::Cancel) return;
        replace = answer == QMessageBox::Yes;
    }
    const std::int64_t now = m_clock.NowMs();
    const int today = m_clock.Today();
    int saved = 0;
    for (std::size_t k = 0; k < named.size(); ++k) {
        if (!replace && recorded->count(keys[k])) continue;
        const MarkingBook::Page& page = m_book.page(named[k]);
        const auto paper = markrun::PaperSessionOf(page.page.marks, m_book.Child(named[k]).toStdString(), now,
                                                   static_cast<std::int64_t>(page.minutes) * 60'000);
        if (records.RecordPaper(paper, today) == 0) {
            store.Check(false, this);
            return;
        }
        ++saved;
    }
    m_recorded = true;
    m_book.SetChanged(false);
    m_keep->stop();
    QFile::remove(KeptPath(store.path()));
    QString said = QStringLiteral("已把 %1 份试卷记入练习记录。").arg(saved);
    if (nameless > 0) said += QStringLiteral("\r\n另有 %1 份没有姓名，没有记入：在表里填上姓名后可以再记入。").arg(nameless);
    MessageBox::Information(this, title, said);
}

void MarkingWindow::Keep() {
    if (!m_book.changed()) return;
    const QString path = KeptPath(PracticeStore::DefaultPath());
    QDir().mkpath(QFileInfo(path).absolutePath());
    QSaveFile file(path);
    // Kept on a best-effort basis: a folder that cannot be written loses only the safety net.
    if (file.open(QIODevice::WriteOnly)) {
        file.write(QJsonDocument(m_book.Decisions(m_files)).toJson(QJsonDocument::Compact));
        file.commit();
    }
}

void MarkingWindow::closeEvent(QCloseEvent* event) {
    if (m_book.changed()) {
        Keep();
        if (MessageBox::Question(this, kTitle,
                                 QStringLiteral("批改的结果还没有记入练习记录。现在关掉吗？\r\n"
                                                "已经核对的结果会保留，下次启动程序时可以接着批改。"),
                                 QMessageBox::Yes | QMessageBox::No, QMessageBox::No) != QMessageBox::Yes) {
            event->ignore();
            return;
        }
    }
    Cancel();
    event->accept();
}
