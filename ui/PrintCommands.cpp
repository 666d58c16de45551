#include "PrintCommands.h"

#include <QAction>
#include <QBoxLayout>
#include <QComboBox>
#include <QCoreApplication>
#include <QDateTime>
#include <QDir>
#include <QFileInfo>
#include <QLabel>
#include <QPainter>
#include <QPrintPreviewDialog>
#include <QPrintPreviewWidget>
#include <QPrinter>
#include <QScreen>
#include <QShortcut>
#include <QStandardPaths>
#include <QToolBar>

#include "ClassListDialog.h"
#include "FileDialog.h"
#include "MessageBox.h"
#include "OutputBox.h"
#include "adapt/ChildSheets.h"
#include "export/DocumentWriter.h"
#include "records/PracticeRecords.h"
#include "platform/NativePath.h"
#include "print/SheetPages.h"
#include "sheets/SheetText.h"
#include "print/SheetsPdf.h"

namespace {

const QString kKept = QStringLiteral("输出框里的题目都还在。");

}  // namespace

PrintCommands::PrintCommands(QWidget* window, OutputBox* output) : QObject(window), m_window(window), m_output(output) {
    auto* shortcut = new QShortcut(QKeySequence(Qt::CTRL | Qt::Key_P), window);
    connect(shortcut, &QShortcut::activated, this, [this] { Preview(false); });
    m_output->addMenuActions({
        MenuAction(QStringLiteral("打印预览…\tCtrl+P"), [this] { Preview(false); }),
        MenuAction(QStringLiteral("打印预览（附答案）…"), [this] { Preview(true); }),
        MenuAction(QStringLiteral("另存为 PDF…"), [this] { SaveAsPdf(false); }),
        MenuAction(QStringLiteral("另存为 PDF（附答案）…"), [this] { SaveAsPdf(true); }),
        MenuAction(QStringLiteral("班级名单…"), [this] { ChooseClassList(m_window); }),
    });
    // Seen before any reading: in the empty box, and over it.
    m_output->setPlaceholderText(
        QStringLiteral("出题后，题目显示在这里，可以修改。\n按 Ctrl+P 或点右键，可以打印预览、打印、另存为 PDF，还可以附上答案。"));
    m_output->setToolTip(QStringLiteral("右键：打印预览、另存为 PDF，可附答案（Ctrl+P）"));
}

QAction* PrintCommands::MenuAction(const QString& text, const std::function<void()>& run) {
    auto* action = new QAction(text, this);
    connect(action, &QAction::triggered, this, run);
    return action;
}

sheet_pages::Options PrintCommands::Paper(bool answers) const {
    sheet_pages::Options paper;
    paper.answers = answers ? m_keyForm : sheet_pages::Answers::None;
    paper.names = m_names;
    paper.className = m_className;
    paper.marks = m_marks;
    return paper;
}

bool PrintCommands::ChooseClassList(QWidget* parent) {
    ClassListDialog dialog(parent);
    if (dialog.exec() != QDialog::Accepted) return false;
    m_names = dialog.names();
    m_className = dialog.className();
    m_factsPerSheet = dialog.factsPerSheet();
    if (m_factsPerSheet > 0 && !m_names.isEmpty()) {
        // Each child's own sheet: said once here, and on the preview's toolbar while it holds.
        QStringList notes;
        const QString printed = PrintedText(&notes);
        MessageBox::Information(parent, QStringLiteral("按各人错题出题"), notes.join(QStringLiteral("\r\n")));
        if (m_output->run()) {
            if (const QStringList said = sheets_pdf::NamesNotes(printed, Paper(false)); !said.isEmpty()) {
                MessageBox::Information(parent, QStringLiteral("班级名单"), said.join(QStringLiteral("\r\n")));
            }
            return true;
        }
    }
    int sheets = 0;
    for (const auto& section : sheet_text::Read(m_output->text())) sheets = std::max(sheets, section.sheet);
    if (m_names.size() > sheets) {
        MessageBox::Information(parent, QStringLiteral("班级名单"),
                                QStringLiteral("名单上有 %1 个名字，只有 %2 份试卷：还差 %3 份，后面 %3 个名字没有试卷。\r\n"
                                               "想每人一份，请把“试卷份数”改为 %1，重新出题。")
                                    .arg(m_names.size())
                                    .arg(sheets)
                                    .arg(m_names.size() - sheets));
    }
    if (const QStringList said = sheets_pdf::NamesNotes(m_output->text(), Paper(false)); !said.isEmpty()) {
        MessageBox::Information(parent, QStringLiteral("班级名单"), said.join(QStringLiteral("\r\n")));
    }
    return true;
}

void PrintCommands::PaintOn(QPrinter* printer, bool answers) {
    QPainter painter;
    if (!painter.begin(printer)) {
        MessageBox::Warning(m_window, QStringLiteral("打印失败"),
                            QStringLiteral("打印机没有准备好，或者无法写入所选的文件。") + kKept);
        return;
    }
    sheet_pages::Paint(painter, *printer, PrintedText(), Paper(answers));
    painter.end();
    if (printer->printerState() == QPrinter::Error) {
        MessageBox::Warning(m_window, QStringLiteral("打印失败"),
                            QStringLiteral("打印没有完成，请检查打印机或所选的文件。") + kKept);
    }
}

QString PrintCommands::PrintedText(QStringList* notes) const {
    if (m_factsPerSheet <= 0 || m_names.isEmpty()) return m_output->text();
    const std::optional<OutputBox::Run>& run = m_output->run();
    if (!run) {
        if (notes) {
            *notes << QStringLiteral("输出框里的题目不是刚出的（修改过、粘贴的或清除了），不能按各人错题重新出题：打印的是输出框里的试卷。\r\n"
                                     "请先点击“开始出题”，再选班级名单。");
        }
        return m_output->text();
    }
    std::vector<std::string> names;
    for (const QString& name : m_names) names.push_back(name.toStdString());
    // The same sheets in the preview, the print and the PDF: the seed is when the box's sheets
    // were made, and the records are only read.
    pellarin::RandomSource source(static_cast<std::uint64_t>(m_output->madeMs()), [] { return pellarin::ClockReading{0}; });
    const adapt::ChildSheets made = adapt::Make(source, names, PracticeRecords::DefaultPath(), run->limit,
                                                run->difficulty.toStdU16String(), m_factsPerSheet);
    if (made.run.result.refused() || made.run.result.outputText.empty()) {
        if (notes) *notes << QString::fromStdU16String(made.run.result.refusal);
        return m_output->text();
    }
    if (notes) {
        *notes << QStringLiteral("每个孩子一份自己的试卷（共 %1 份），和输出框里的试卷不一样：").arg(m_names.size());
        for (const std::string& note : made.notes) *notes << QString::fromStdString(note);
    }
    return QString::fromStdU16String(made.run.result.outputText);
}

bool PrintCommands::HasSomethingToPrint(QWidget* parent) {
    if (!m_output->text().trimmed().isEmpty()) return true;
    MessageBox::Information(parent, QStringLiteral("还没有题目"),
                            QStringLiteral("输出框里还没有题目，没有可以打印的内容。\r\n"
                                           "请先点击“开始出题”，出题后再打印或另存为 PDF。"));
    return false;
}

void PrintCommands::Preview(bool answers) {
    if (!HasSomethingToPrint(m_window)) return;
    QPrinter printer(QPrinter::HighResolution);
    printer.setPageLayout(sheet_pages::PageLayout());
    printer.setDocName(QStringLiteral("口算题"));
    QPrintPreviewDialog dialog(&printer, m_window);
    dialog.setObjectName(QStringLiteral("PrintPreview"));
    dialog.setWindowTitle(QStringLiteral("打印预览"));
    bool withAnswers = answers;
    // The two entries of our own have keys, shown in their tooltips, and go first on the
    // toolbar, where a narrow screen never pushes them into the overflow menu.
    auto* answerKey = new QAction(QStringLiteral("附答案"), &dialog);
    answerKey->setObjectName(QStringLiteral("AnswerKey"));
    answerKey->setCheckable(true);
    answerKey->setChecked(answers);
    answerKey->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_D));
    answerKey->setToolTip(QStringLiteral("在所有试卷之后附上答案（Ctrl+D）"));
    auto* savePdf = new QAction(QStringLiteral("另存为 PDF…"), &dialog);
    savePdf->setObjectName(QStringLiteral("SavePdf"));
    savePdf->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_S));
    savePdf->setToolTip(QStringLiteral("把预览中的页面保存为 PDF 文件（Ctrl+S）"));
    connect(savePdf, &QAction::triggered, this, [this, &withAnswers, &dialog] { SaveAsPdf(withAnswers, &dialog); });
    auto* marks = new QAction(QStringLiteral("扫描批改"), &dialog);
    marks->setObjectName(QStringLiteral("Marks"));
    marks->setCheckable(true);
    marks->setChecked(m_marks);
    marks->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_G));
    marks->setToolTip(QStringLiteral("印上四角的方块、二维码和答题框，交上来的试卷扫描后可以自动批改；"
                                     "不勾选则和输出框里的一样（Ctrl+G）"));
    auto* classList = new QAction(QStringLiteral("班级名单…"), &dialog);
    classList->setObjectName(QStringLiteral("ClassList"));
    classList->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_L));
    classList->setToolTip(QStringLiteral("在每份试卷的“姓名:”后写上学生的名字（Ctrl+L）"));
    // The compact key (results alone, four sheets a page) or a page per sheet.
    auto* keyForm = new QComboBox(&dialog);
    keyForm->setObjectName(QStringLiteral("AnswerForm"));
    keyForm->addItem(QStringLiteral("简明答案"), static_cast<int>(sheet_pages::Answers::Compact));
    keyForm->addItem(QStringLiteral("每份一页的答案"), static_cast<int>(sheet_pages::Answers::Full));
    keyForm->setCurrentIndex(m_keyForm == sheet_pages::Answers::Full ? 1 : 0);
    keyForm->setToolTip(QStringLiteral("简明答案只有得数，每页四份；每份一页的答案带着题目"));
    keyForm->setAccessibleName(QStringLiteral("答案的样式"));
    for (QAction* action : {answerKey, marks, savePdf, classList}) action->setShortcutContext(Qt::WindowShortcut);
    dialog.addActions({answerKey, marks, savePdf, classList});
    if (auto* toolbar = dialog.findChild<QToolBar*>()) {
        // The dialog's own 打印 sits at the toolbar's far end, the first thing a narrow screen
        // hides: it goes first of all, with its key.
        const QString printText = QCoreApplication::translate("QPrintPreviewDialog", "Print");
        for (QAction* action : toolbar->actions()) {
            if (action->text() != printText) continue;
            toolbar->removeAction(action);
            toolbar->insertAction(toolbar->actions().value(0), action);
            action->setObjectName(QStringLiteral("Print"));
            action->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_P));
            action->setShortcutContext(Qt::WindowShortcut);
            action->setToolTip(QStringLiteral("打印（Ctrl+P）"));
            break;
        }
        QAction* first = toolbar->actions().value(1);
        toolbar->insertActions(first, {answerKey});
        toolbar->insertWidget(first, keyForm);
        toolbar->insertActions(first, {marks, classList, savePdf});
        toolbar->insertSeparator(first);
        // Reached with Tab as well as with their keys.
        for (QAction* action : {answerKey, marks, classList, savePdf}) {
            if (QWidget* button = toolbar->widgetForAction(action)) button->setFocusPolicy(Qt::TabFocus);
        }
    }
    // With each child's own sheets, the preview says so: what it shows is not the box's text.
    auto* adapted = new QLabel(&dialog);
    adapted->setObjectName(QStringLiteral("AdaptedNote"));
    adapted->setStyleSheet(QStringLiteral("color: #1a5fb4; padding: 0 8px;"));
    // A line of its own under the toolbar, where no narrow screen hides it.
    if (auto* column = qobject_cast<QBoxLayout*>(dialog.layout())) column->insertWidget(1, adapted);
    auto sayAdapted = [this, adapted] {
        QStringList notes;
        if (m_factsPerSheet > 0 && !m_names.isEmpty()) PrintedText(&notes);
        QStringList shown = notes.mid(1);
        if (shown.size() > 4) shown = shown.mid(0, 3) << QStringLiteral("……");
        adapted->setText(notes.isEmpty() ? QString()
                                         : QStringLiteral("按各人错题出题：%1 %2").arg(notes.front(), shown.join(QStringLiteral("；"))));
        adapted->setToolTip(notes.join(QLatin1Char('\n')));
        adapted->setVisible(!notes.isEmpty());
    };
    sayAdapted();
    auto* preview = dialog.findChild<QPrintPreviewWidget*>();
    connect(keyForm, &QComboBox::currentIndexChanged, &dialog, [this, keyForm, preview] {
        m_keyForm = static_cast<sheet_pages::Answers>(keyForm->currentData().toInt());
        if (preview) preview->updatePreview();
    });
    connect(classList, &QAction::triggered, &dialog, [this, &dialog, preview, sayAdapted] {
        if (!ChooseClassList(&dialog)) return;
        sayAdapted();
        if (preview) preview->updatePreview();
    });
    connect(marks, &QAction::toggled, &dialog, [this, preview](bool on) {
        m_marks = on;
        if (preview) preview->updatePreview();
    });
    connect(answerKey, &QAction::toggled, &dialog, [&withAnswers, preview](bool on) {
        withAnswers = on;
        if (preview) preview->updatePreview();
    });
    connect(&dialog, &QPrintPreviewDialog::paintRequested, this, [this, &withAnswers](QPrinter* target) {
        PaintOn(target, withAnswers);
        emit printed(target);
    });
    // Big enough to show a whole page, and the whole page shown.
    if (const QScreen* screen = m_window->screen()) {
        const QRect room = screen->availableGeometry();
        const int height = room.height() * 9 / 10;
        dialog.resize(std::min(room.width() * 9 / 10, std::max(height * 3 / 4, 800)), height);
    }
    if (preview) preview->fitInView();
    dialog.exec();
}

void PrintCommands::SaveAsPdf(bool answers, QWidget* parent) {
    if (!parent) parent = m_window;
    if (!HasSomethingToPrint(parent)) return;
    // The documents folder where the desktop has one, else the home folder; never the folder
    // the program happened to be started in.
    QString folder = QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation);
    if (folder.isEmpty() || !QDir(folder).exists()) folder = QDir::homePath();
    const QString name = QStringLiteral("口算题%1-%2.pdf")
                             .arg(answers ? QStringLiteral("（附答案）") : QString(),
                                  QDateTime::currentDateTime().toString(QStringLiteral("yyyy-MM-dd-HHmmss")));
    QString path = FileDialog::Save(parent, QStringLiteral("另存为 PDF"), QDir(folder).filePath(name),
                                    QStringLiteral("PDF 文件 (*.pdf)"), QStringLiteral("pdf"));
    if (path.isEmpty()) return;  // cancelled
    // The dialog adds the extension itself before it asks about replacing; a dialog that did
    // not (some desktops' own) has not asked about the name the file will have.
    if (!path.endsWith(QStringLiteral(".pdf"), Qt::CaseInsensitive)) {
        path += QStringLiteral(".pdf");
        if (QFileInfo::exists(path) &&
            MessageBox::Question(parent, QStringLiteral("另存为 PDF"),
                                 QStringLiteral("%1 已经存在。\r\n要替换它吗？").arg(QDir::toNativeSeparators(path)),
                                 QMessageBox::Yes | QMessageBox::No, QMessageBox::No) != QMessageBox::Yes) {
            return;
        }
    }
    try {
        // The user has agreed to replace the file the document goes to, if there is one.
        QStringList said;
        sheet_pages::Options paper = Paper(answers);
        paper.said = &said;
        const int pages = sheets_pdf::Write(pellarin::NativePath(path), PrintedText(), paper, true);
        said.prepend(QStringLiteral("PDF 已保存（共 %1 页）：\r\n%2").arg(pages).arg(QDir::toNativeSeparators(path)));
        MessageBox::Information(parent, QStringLiteral("另存为 PDF"), said.join(QStringLiteral("\r\n")));
    } catch (const pellarin::DocumentError& e) {
        MessageBox::Warning(parent, QStringLiteral("另存为 PDF 失败"),
                            QStringLiteral("PDF 没能保存：%1。\r\n文件：%2\r\n%3")
                                .arg(QString::fromStdString(e.what()), pellarin::PathForDisplay(e.path()), kKept));
    }
}
