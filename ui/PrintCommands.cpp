#include "PrintCommands.h"

#include <QAction>
#include <QDateTime>
#include <QDir>
#include <QFileDialog>
#include <QPainter>
#include <QPrintPreviewDialog>
#include <QPrintPreviewWidget>
#include <QPrinter>
#include <QShortcut>
#include <QStandardPaths>
#include <QToolBar>

#include "MessageBox.h"
#include "OutputBox.h"
#include "export/DocumentWriter.h"
#include "export/NativePath.h"
#include "print/SheetPages.h"
#include "print/SheetsPdf.h"

namespace {

const QString kKept = QStringLiteral("输出框里的题目都还在。");

QString AskForFile(QWidget* parent, const QString& suggested) {
    return QFileDialog::getSaveFileName(parent, QStringLiteral("另存为 PDF"), suggested,
                                        QStringLiteral("PDF 文件 (*.pdf)"));
}

PrintCommands::ChooseFile& FileChooser() {
    static PrintCommands::ChooseFile chooser = &AskForFile;
    return chooser;
}

}  // namespace

PrintCommands::PrintCommands(QWidget* window, OutputBox* output) : QObject(window), m_window(window), m_output(output) {
    auto* shortcut = new QShortcut(QKeySequence(Qt::CTRL | Qt::Key_P), window);
    connect(shortcut, &QShortcut::activated, this, [this] { Preview(false); });
    m_output->setMenuActions({
        MenuAction(QStringLiteral("打印预览…\tCtrl+P"), [this] { Preview(false); }),
        MenuAction(QStringLiteral("打印预览（附答案）…"), [this] { Preview(true); }),
        MenuAction(QStringLiteral("另存为 PDF…"), [this] { SaveAsPdf(false); }),
        MenuAction(QStringLiteral("另存为 PDF（附答案）…"), [this] { SaveAsPdf(true); }),
    });
    // Seen before any reading: in the empty box, and over it.
    m_output->setPlaceholderText(
        QStringLiteral("出题后，题目显示在这里，可以修改。\n按 Ctrl+P 或点右键，可以打印预览、打印、另存为 PDF，还可以附上答案。"));
    m_output->setToolTip(QStringLiteral("右键：打印预览、另存为 PDF，可附答案（Ctrl+P）"));
}

void PrintCommands::SetFileChooserForTests(ChooseFile chooser) {
    FileChooser() = chooser ? std::move(chooser) : ChooseFile(&AskForFile);
}

QAction* PrintCommands::MenuAction(const QString& text, const std::function<void()>& run) {
    auto* action = new QAction(text, this);
    connect(action, &QAction::triggered, this, run);
    return action;
}

void PrintCommands::PaintOn(QPrinter* printer, bool answers) {
    QPainter painter;
    if (!painter.begin(printer)) {
        MessageBox::Warning(m_window, QStringLiteral("打印失败"),
                            QStringLiteral("打印机没有准备好，或者无法写入所选的文件。") + kKept);
        return;
    }
    sheet_pages::Paint(painter, *printer, m_output->text(), answers);
    painter.end();
    if (printer->printerState() == QPrinter::Error) {
        MessageBox::Warning(m_window, QStringLiteral("打印失败"),
                            QStringLiteral("打印没有完成，请检查打印机或所选的文件。") + kKept);
    }
}

void PrintCommands::Preview(bool answers) {
    QPrinter printer(QPrinter::HighResolution);
    printer.setPageLayout(sheet_pages::PageLayout());
    printer.setDocName(QStringLiteral("口算题"));
    QPrintPreviewDialog dialog(&printer, m_window);
    dialog.setObjectName(QStringLiteral("PrintPreview"));
    dialog.setWindowTitle(QStringLiteral("打印预览"));
    bool withAnswers = answers;
    auto* answerKey = new QAction(QStringLiteral("附答案"), &dialog);
    answerKey->setObjectName(QStringLiteral("AnswerKey"));
    answerKey->setCheckable(true);
    answerKey->setChecked(answers);
    answerKey->setToolTip(QStringLiteral("在所有试卷之后，每份试卷再加一页答案"));
    auto* savePdf = new QAction(QStringLiteral("另存为 PDF…"), &dialog);
    savePdf->setObjectName(QStringLiteral("SavePdf"));
    connect(savePdf, &QAction::triggered, this, [this, &withAnswers] { SaveAsPdf(withAnswers); });
    if (auto* toolbar = dialog.findChild<QToolBar*>()) {
        toolbar->addSeparator();
        toolbar->addAction(answerKey);
        toolbar->addAction(savePdf);
    }
    auto* preview = dialog.findChild<QPrintPreviewWidget*>();
    connect(answerKey, &QAction::toggled, &dialog, [&withAnswers, preview](bool on) {
        withAnswers = on;
        if (preview) preview->updatePreview();
    });
    connect(&dialog, &QPrintPreviewDialog::paintRequested, this, [this, &withAnswers](QPrinter* target) {
        PaintOn(target, withAnswers);
        emit printed(target);
    });
    dialog.exec();
}

void PrintCommands::SaveAsPdf(bool answers) {
    QString folder = QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation);
    if (folder.isEmpty()) folder = QDir::homePath();
    const QString name = QStringLiteral("口算题%1-%2.pdf")
                             .arg(answers ? QStringLiteral("（附答案）") : QString(),
                                  QDateTime::currentDateTime().toString(QStringLiteral("yyyy-MM-dd-HHmmss")));
    QString path = FileChooser()(m_window, QDir(folder).filePath(name));
    if (path.isEmpty()) return;  // cancelled
    if (!path.endsWith(QStringLiteral(".pdf"), Qt::CaseInsensitive)) path += QStringLiteral(".pdf");
    try {
        // The dialog has asked before replacing a file the user chose.
        sheets_pdf::Write(pellarin::NativePath(path), m_output->text(), answers, true);
    } catch (const pellarin::DocumentError& e) {
        MessageBox::Warning(m_window, QStringLiteral("另存为 PDF 失败"),
                            QStringLiteral("PDF 没能保存：%1。\r\n文件：%2\r\n%3")
                                .arg(QString::fromStdString(e.what()), pellarin::PathForDisplay(e.path()), kKept));
    }
}
