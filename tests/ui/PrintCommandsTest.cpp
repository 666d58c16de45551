// Printing from the window: Ctrl+P and the output box's menu open the preview, the answer key
// changes the page count, a print through the preview's printer gives the same pages as
// pellarin-sheets --pdf, and saving as PDF writes the file or reports why not.
#include <QAction>
#include <algorithm>
#include <QContextMenuEvent>
#include <QMenu>
#include <QPrintPreviewDialog>
#include <QPrintPreviewWidget>
#include <QPrinter>
#include <QProcess>
#include <QRegularExpression>
#include <QComboBox>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QSettings>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTimer>
#include <functional>
#include <memory>
#include <QToolBar>

#include "WindowFixture.h"
#include "ui/FileDialog.h"
#include "ui/ChineseTranslations.h"
#include "ui/ClassListDialog.h"
#include "ui/PrintCommands.h"
#include "ui/practice/PracticeStore.h"
#include "records/PracticeRecords.h"
#include <QCheckBox>
#include <QCryptographicHash>
#include <QLabel>
#include <QSpinBox>

#ifndef Q_OS_WIN
#include <sys/stat.h>  // mkfifo
#endif

class PrintCommandsTest : public QObject, public WindowFixture {
    Q_OBJECT

    static QString run(const QString& program, const QStringList& arguments) {
        QProcess process;
        process.start(program, arguments);
        process.waitForFinished(60000);
        return QString::fromUtf8(process.readAllStandardOutput());
    }
    // Every word of a PDF with its place, in points. Two PDFs of the same pages have the same
    // words within a fraction of a point, whichever writer made them (a layout of the text
    // alone may differ in its spaces, and glyph widths in the last decimal).
    struct Word {
        double x, y;
        QString text;
    };
    static std::vector<Word> words(const QString& pdf) {
        static const QRegularExpression word(
            QStringLiteral("<word xMin=\"([\\d.]+)\" yMin=\"([\\d.]+)\"[^>]*>([^<]*)</word>"));
        std::vector<Word> out;
        for (const auto& m : word.globalMatch(run(QStringLiteral("pdftotext"), {"-bbox", pdf, "-"}))) {
            out.push_back({m.captured(1).toDouble(), m.captured(2).toDouble(), m.captured(3)});
        }
        return out;
    }
    static void compareWords(const QString& printed, const QString& tool) {
        const std::vector<Word> a = words(printed), b = words(tool);
        QCOMPARE(a.size(), b.size());
        for (std::size_t i = 0; i < a.size(); ++i) {
            QCOMPARE(a[i].text, b[i].text);
            QVERIFY2(std::abs(a[i].x - b[i].x) < 0.6 && std::abs(a[i].y - b[i].y) < 0.6, qPrintable(a[i].text));
        }
    }
    static QString sheets(const QStringList& more = {}) {
        return run(QStringLiteral(PELLARIN_SHEETS_TOOL), QStringList{"--sheets", "3", "--seed", "21"} + more);
    }
    // The PDFs are read back with poppler, a Linux program; the Linux build reads the same pages.
    static bool popplerMissing() {
#ifdef Q_OS_WIN
        return true;
#else
        return false;
#endif
    }
    static int pageCount(const QString& pdf) {
        const QString info = run(QStringLiteral("pdfinfo"), {pdf});
        const qsizetype at = info.indexOf(QStringLiteral("Pages:"));
        return at < 0 ? -1 : info.mid(at + 6).section(QLatin1Char('\n'), 0, 0).trimmed().toInt();
    }

    static int previewPages(QPrintPreviewDialog* dialog) {
        return dialog->findChild<QPrintPreviewWidget*>()->pageCount();
    }

    QAction* menuEntry(const QString& text) {
        QContextMenuEvent event(QContextMenuEvent::Mouse, QPoint(3, 3), text2()->viewport()->mapToGlobal(QPoint(3, 3)));
        QApplication::sendEvent(text2()->viewport(), &event);
        auto* menu = qobject_cast<QMenu*>(QApplication::activePopupWidget());
        if (!menu) return nullptr;
        QAction* found = nullptr;
        for (QAction* action : menu->actions()) {
            if (action->text().section(QLatin1Char('\t'), 0, 0) == text) found = action;
        }
        menu->close();
        return found;
    }

    // The class list dialog is modal: a timer answers it with `answer` once it shows. `shown`
    // says whether it did; the timer goes with the returned object.
    struct ClassListAnswer {
        QTimer timer;
        bool shown = false;
    };
    std::unique_ptr<ClassListAnswer> answerClassList(std::function<void(QWidget*)> answer) {
        auto answering = std::make_unique<ClassListAnswer>();
        connect(&answering->timer, &QTimer::timeout, this, [state = answering.get(), answer = std::move(answer)] {
            auto* dialog = QApplication::activeModalWidget();
            if (!dialog || dialog->objectName() != QStringLiteral("ClassListDialog") || state->shown) return;
            state->shown = true;
            answer(dialog);
        });
        answering->timer.start(20);
        return answering;
    }

private slots:
    void initTestCase() {
        QStandardPaths::setTestModeEnabled(true);  // the remembered class list stays out of the user's settings
        QVERIFY(InstallChineseTranslations());     // as the program does
    }
    void init() {
        open();
        text2()->setText(sheets());
    }
    void cleanup() {
        FileDialog::SetAnswerForTests(nullptr);
        close();
    }

    void featureIsVisibleInTheEmptyBox() {
        text2()->setText(QString());
        QVERIFY(text2()->placeholderText().contains(QStringLiteral("Ctrl+P")));
        QVERIFY(text2()->placeholderText().contains(QStringLiteral("答案")));
    }

    void ctrlPOpensThePreviewAndAnswersAddPages() {
        withPreview([this] { key(Qt::Key_P, Qt::ControlModifier); },
                    [](QPrintPreviewDialog* dialog) {
                        QCOMPARE(previewPages(dialog), 3);
                        auto* answers = dialog->findChild<QAction*>(QStringLiteral("AnswerKey"));
                        QVERIFY(answers && !answers->isChecked());
                        answers->trigger();
                        QCOMPARE(previewPages(dialog), 4);  // the compact key: one page for three sheets
                        auto* form = dialog->findChild<QComboBox*>(QStringLiteral("AnswerForm"));
                        form->setCurrentIndex(1);
                        QCOMPARE(previewPages(dialog), 6);  // a page per sheet
                        form->setCurrentIndex(0);
                        // As the user sees it: build/pellarin-print-preview.png.
                        dialog->resize(900, 700);
                        QVERIFY(dialog->grab().save(QStringLiteral(PELLARIN_BUILD_DIR "/pellarin-print-preview.png")));
                    });
        QVERIFY(boxes.empty());
    }

    void menuOffersPreviewAndPdfWithAndWithoutAnswers() {
        for (const QString& entry : {QStringLiteral("打印预览…"), QStringLiteral("打印预览（附答案）…"),
                                     QStringLiteral("另存为 PDF…"), QStringLiteral("另存为 PDF（附答案）…")}) {
            QVERIFY2(menuEntry(entry), qPrintable(entry));
        }
        withPreview([this] { menuEntry(QStringLiteral("打印预览（附答案）…"))->trigger(); },
                    [](QPrintPreviewDialog* dialog) { QCOMPARE(previewPages(dialog), 4); });
    }

    // Printing to a PDF file through the preview's printer gives what the tool writes.
    void printThroughThePreviewMatchesTheTool() {
        if (popplerMissing()) QSKIP("poppler's pdfinfo and pdftotext run on Linux only; the Linux build checks these pages");
        QTemporaryDir folder;
        const QString printed = folder.filePath(QStringLiteral("printed.pdf"));
        const QString tool = folder.filePath(QStringLiteral("tool.pdf"));
        sheets({"--pdf", tool, "--answers=compact"});
        withPreview([this] { menuEntry(QStringLiteral("打印预览（附答案）…"))->trigger(); },
                    [&](QPrintPreviewDialog* dialog) {
                        dialog->printer()->setOutputFormat(QPrinter::PdfFormat);
                        dialog->printer()->setOutputFileName(printed);
                        dialog->findChild<QPrintPreviewWidget*>()->print();
                    });
        QCOMPARE(pageCount(printed), 4);
        const std::vector<Word> printedWords = words(printed);
        QCOMPARE(std::count_if(printedWords.begin(), printedWords.end(),
                               [](const Word& w) { return w.text == QStringLiteral("批改码"); }), 3);
        compareWords(printed, tool);
    }

    // 扫描批改 (Ctrl+G) off prints the sheets as the box has them, as --plain does; the choice
    // holds for the PDF saved from the preview too.
    void marksCanBeLeftOffAsPlainDoes() {
        if (popplerMissing()) QSKIP("poppler's pdftotext runs on Linux only; the Linux build compares these pages");
        QTemporaryDir folder;
        const QString printed = folder.filePath(QStringLiteral("plain-printed.pdf"));
        const QString tool = folder.filePath(QStringLiteral("plain-tool.pdf"));
        sheets({"--pdf", tool, "--plain"});
        withPreview([this] { menuEntry(QStringLiteral("打印预览…"))->trigger(); }, [&](QPrintPreviewDialog* dialog) {
            auto* marks = dialog->findChild<QAction*>(QStringLiteral("Marks"));
            QVERIFY(marks && marks->isChecked());
            dialog->activateWindow();
            QTRY_VERIFY(dialog->isActiveWindow());
            QTest::keyClick(dialog, Qt::Key_G, Qt::ControlModifier);
            QVERIFY(!marks->isChecked());
            dialog->printer()->setOutputFormat(QPrinter::PdfFormat);
            dialog->printer()->setOutputFileName(printed);
            dialog->findChild<QPrintPreviewWidget*>()->print();
        });
        const std::vector<Word> printedWords = words(printed);
        QVERIFY(std::none_of(printedWords.begin(), printedWords.end(),
                             [](const Word& w) { return w.text == QStringLiteral("批改码"); }));
        compareWords(printed, tool);
        // Still off at the next preview, until it is turned on again.
        withPreview([this] { menuEntry(QStringLiteral("打印预览…"))->trigger(); }, [](QPrintPreviewDialog* dialog) {
            auto* marks = dialog->findChild<QAction*>(QStringLiteral("Marks"));
            QVERIFY(!marks->isChecked());
            marks->trigger();
        });
    }

    void saveAsPdfWritesTheFileOrSaysWhy() {
        if (popplerMissing()) QSKIP("poppler's pdfinfo and pdftotext run on Linux only; the Linux build checks these pages");
        QTemporaryDir folder;
        QString suggested;
        FileDialog::SetAnswerForTests([&](QWidget*, const FileDialog::Asked& asked) {
            suggested = asked.suggested;
            return folder.filePath(QStringLiteral("练习"));  // the extension is added
        });
        menuEntry(QStringLiteral("另存为 PDF（附答案）…"))->trigger();
        QVERIFY(suggested.endsWith(QStringLiteral(".pdf")));
        QCOMPARE(pageCount(folder.filePath(QStringLiteral("练习.pdf"))), 4);
        // The user is told where the file went.
        QCOMPARE(boxes.size(), std::size_t{1});
        QCOMPARE(boxes[0].icon, QMessageBox::Information);
        QVERIFY2(boxes[0].text.contains(folder.filePath(QStringLiteral("练习.pdf"))), qPrintable(boxes[0].text));
        QVERIFY(boxes[0].text.contains(QStringLiteral("4 页")));
        boxes.clear();

        // From the preview, with the answers as chosen there.
        FileDialog::SetAnswerForTests([&](QWidget*, const FileDialog::Asked&) { return folder.filePath(QStringLiteral("预览.pdf")); });
        withPreview([this] { key(Qt::Key_P, Qt::ControlModifier); },
                    [](QPrintPreviewDialog* dialog) { dialog->findChild<QAction*>(QStringLiteral("SavePdf"))->trigger(); });
        QCOMPARE(pageCount(folder.filePath(QStringLiteral("预览.pdf"))), 3);
        QCOMPARE(boxes.size(), std::size_t{1});

        const QString text = text2()->text();
        boxes.clear();
        FileDialog::SetAnswerForTests(
            [&](QWidget*, const FileDialog::Asked&) { return folder.filePath(QStringLiteral("没有这个文件夹/a.pdf")); });
        menuEntry(QStringLiteral("另存为 PDF…"))->trigger();
        QCOMPARE(boxes.size(), std::size_t{1});
        QCOMPARE(boxes[0].title, QStringLiteral("另存为 PDF 失败"));
        QVERIFY2(boxes[0].text.contains(QStringLiteral("文件夹不存在")), qPrintable(boxes[0].text));
        QCOMPARE(text2()->text(), text);

        FileDialog::SetAnswerForTests([](QWidget*, const FileDialog::Asked&) { return QString(); });  // cancelled
        menuEntry(QStringLiteral("另存为 PDF…"))->trigger();
        QCOMPARE(boxes.size(), std::size_t{1});
    }

    // A name typed without ".pdf": the dialog is told to add it before it asks about replacing;
    // where a dialog did not, the existing file is only replaced after a second question.
    void saveAsPdfNeverReplacesAFileUnasked() {
        if (popplerMissing()) QSKIP("poppler's pdfinfo runs on Linux only; the Linux build checks these pages");
        QTemporaryDir folder;
        const QString existing = folder.filePath(QStringLiteral("练习.pdf"));
        QFile file(existing);
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write("the child's marked sheet");
        file.close();
        QString suffix;
        FileDialog::SetAnswerForTests([&](QWidget*, const FileDialog::Asked& asked) {
            suffix = asked.defaultSuffix;
            return folder.filePath(QStringLiteral("练习"));
        });
        QList<QMessageBox::StandardButton> answers{QMessageBox::No, QMessageBox::Yes};
        QStringList questions;
        MessageBox::SetAnswerHookForTests([&](const MessageBox::Shown& shown) {
            questions << shown.text;
            return answers.takeFirst();
        });
        menuEntry(QStringLiteral("另存为 PDF…"))->trigger();
        QCOMPARE(suffix, QStringLiteral("pdf"));
        QCOMPARE(questions.size(), 1);
        QVERIFY2(questions[0].contains(QStringLiteral("已经存在")), qPrintable(questions[0]));
        QVERIFY(file.open(QIODevice::ReadOnly));
        QCOMPARE(file.readAll(), QByteArray("the child's marked sheet"));  // 否: untouched
        file.close();
        QVERIFY(boxes.empty());

        menuEntry(QStringLiteral("另存为 PDF…"))->trigger();
        MessageBox::SetAnswerHookForTests(nullptr);
        QCOMPARE(questions.size(), 2);
        QCOMPARE(pageCount(existing), 3);  // 是: replaced by the sheets
        QCOMPARE(boxes.size(), std::size_t{1});
        QCOMPARE(boxes[0].icon, QMessageBox::Information);
    }

    // Names the paper cannot hold as they are: the teacher hears of them when the list is
    // chosen, and again with the PDF, not from the printed sheets.
    void namesThePaperCannotHoldAreSaidOnce() {
        QSettings(QStringLiteral("Pellarin"), QStringLiteral("Pellarin")).clear();
        const auto answering = answerClassList([](QWidget* dialog) {
            dialog->findChild<QPlainTextEdit*>(QStringLiteral("Names"))
                ->setPlainText(QStringLiteral("王小明\n") + QString(300, QLatin1Char('x')) +
                               QStringLiteral("\nनमस्ते\n"));  // Devanagari: no face here has it
            QTest::keyClick(dialog, Qt::Key_Return);
        });
        menuEntry(QStringLiteral("班级名单…"))->trigger();
        QCOMPARE(boxes.size(), std::size_t{1});
        QVERIFY2(boxes[0].text.contains(QStringLiteral("太长")), qPrintable(boxes[0].text));
#ifndef Q_OS_WIN
        // (Under Wine this test runs on the offscreen platform, whose faces are not Windows' own;
        // class_paper checks the Windows program's faces through the tool.)
        QVERIFY2(boxes[0].text.contains(QStringLiteral("第 3 份")), qPrintable(boxes[0].text));
#endif
        boxes.clear();

        QTemporaryDir folder;
        FileDialog::SetAnswerForTests([&](QWidget*, const FileDialog::Asked&) { return folder.filePath(QStringLiteral("名单.pdf")); });
        menuEntry(QStringLiteral("另存为 PDF…"))->trigger();
        QCOMPARE(boxes.size(), std::size_t{1});
        QVERIFY2(boxes[0].text.contains(QStringLiteral("PDF 已保存")) && boxes[0].text.contains(QStringLiteral("太长")),
                 qPrintable(boxes[0].text));
        QSettings(QStringLiteral("Pellarin"), QStringLiteral("Pellarin")).clear();
    }

    // A class list chosen in the preview: each sheet printed through the preview's own printer
    // carries its child's name, and the pages read as the tool's for the same text and list.
    void classListChosenInThePreviewNamesTheSheets() {
        QSettings(QStringLiteral("Pellarin"), QStringLiteral("Pellarin")).clear();
        QTemporaryDir folder;
        const QString list = folder.filePath(QStringLiteral("names.txt"));
        QFile file(list);
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write(QStringLiteral("王小明\r\n李华\r\n").toUtf8());
        file.close();
        const QString printed = folder.filePath(QStringLiteral("printed.pdf"));
        const QString tool = folder.filePath(QStringLiteral("tool.pdf"));
        sheets({"--pdf", tool, "--answers=compact", "--names", list, "--class", "三年级二班"});
        const auto answering = answerClassList([](QWidget* dialog) {
            dialog->findChild<QLineEdit*>(QStringLiteral("ClassName"))->setText(QStringLiteral("三年级二班"));
            dialog->findChild<QPlainTextEdit*>(QStringLiteral("Names"))->setPlainText(QStringLiteral("  王小明\n\n李华 \n"));
            QTest::keyClick(dialog, Qt::Key_Return);
        });
        withPreview([this] { menuEntry(QStringLiteral("打印预览（附答案）…"))->trigger(); },
                    [&](QPrintPreviewDialog* dialog) {
                        dialog->findChild<QAction*>(QStringLiteral("ClassList"))->trigger();
                        QVERIFY(answering->shown);
                        // Two names for three sheets: no box, the third sheet stays blank.
                        QVERIFY(boxes.empty());
                        dialog->printer()->setOutputFormat(QPrinter::PdfFormat);
                        dialog->printer()->setOutputFileName(printed);
                        dialog->findChild<QPrintPreviewWidget*>()->print();
                    });
        if (popplerMissing()) QSKIP("poppler's pdftotext runs on Linux only; the Linux build compares these pages");
        const QString text = run(QStringLiteral("pdftotext"), {"-layout", printed, "-"});
        QVERIFY(text.contains(QStringLiteral("王小明")) && text.contains(QStringLiteral("三年级二班")));
        compareWords(printed, tool);
        // Remembered for the next time.
        QCOMPARE(ClassListDialog::RememberedNames(), (QStringList{QStringLiteral("王小明"), QStringLiteral("李华")}));
    }

    // 按各人错题出题 in the class list: each named child's sheet made again from the box's
    // settings with the child's missed facts from the records, said in a box and on the
    // preview's toolbar; printed and saved as PDF alike; the records only read.
    void eachChildsOwnSheetBringsBackTheChildsFacts() {
        QSettings(QStringLiteral("Pellarin"), QStringLiteral("Pellarin")).clear();
        QTemporaryDir folder;
        const QString records = folder.filePath(QStringLiteral("practice.sqlite"));
        PracticeStore::SetPathForTests(records);
        const std::vector<std::string> facts{"45＋38=", "63－28=", "52－18＋21="};
        {
            PracticeRecords::Error error;
            auto file = PracticeRecords::Open(records.toStdString(), error);
            QVERIFY(file);
            PracticeRecords::PaperSession paper;
            paper.child = "王小明";
            paper.key = "sheet";
            paper.asked = 3;
            for (const auto& fact : facts) {
                paper.problems.push_back({fact, 1});
                paper.outcome.missed.push_back({fact, 1});
            }
            QVERIFY(file->RecordPaper(paper, 20'000) != 0);
        }
        const QByteArray before = QCryptographicHash::hash(
            [&] { QFile f(records); f.open(QIODevice::ReadOnly); return f.readAll(); }(), QCryptographicHash::Sha256);
        // Sheets of a run of the window: its settings are what the children's sheets are made from.
        text1(0)->setText(QStringLiteral("99"));
        text1(2)->setText(QStringLiteral("2"));
        clickFace(4);
        QTRY_COMPARE(label(10)->text(), QStringLiteral("2"));
        const QString box = text2()->text();

        const auto answering = answerClassList([](QWidget* dialog) {
            dialog->findChild<QPlainTextEdit*>(QStringLiteral("Names"))->setPlainText(QStringLiteral("王小明\n李华\n"));
            auto* adapt = dialog->findChild<QCheckBox*>(QStringLiteral("AdaptSheets"));
            auto* perSheet = dialog->findChild<QSpinBox*>(QStringLiteral("FactsPerSheet"));
            QVERIFY(!perSheet->isEnabled());
            adapt->setChecked(true);
            QVERIFY(perSheet->isEnabled());
            QCOMPARE(perSheet->value(), 10);
            QTest::keyClick(dialog, Qt::Key_Return);
        });
        boxes.clear();
        menuEntry(QStringLiteral("班级名单…"))->trigger();
        QVERIFY(answering->shown);
        QCOMPARE(boxes.size(), 1u);
        QVERIFY2(boxes[0].text.contains(QStringLiteral("第 1 份 王小明：3 道错题再练")), qPrintable(boxes[0].text));
        QVERIFY2(boxes[0].text.contains(QStringLiteral("李华 不在练习记录里")), qPrintable(boxes[0].text));
        QVERIFY(boxes[0].text.contains(QStringLiteral("和输出框里的试卷不一样")));
        withPreview([this] { menuEntry(QStringLiteral("打印预览…"))->trigger(); }, [&](QPrintPreviewDialog* dialog) {
            auto* note = dialog->findChild<QLabel*>(QStringLiteral("AdaptedNote"));
            QVERIFY(note && note->text().startsWith(QStringLiteral("按各人错题出题：每个孩子一份自己的试卷")));
            QVERIFY2(note->toolTip().contains(QStringLiteral("王小明：3 道")), qPrintable(note->toolTip()));
            dialog->resize(1280, 760);
            QCoreApplication::sendPostedEvents();
            dialog->grab().save(QStringLiteral(PELLARIN_BUILD_DIR "/pellarin-print-adapted.png"));
        });
        QCOMPARE(text2()->text(), box);  // the box is left as it is

        const QString pdf = folder.filePath(QStringLiteral("children.pdf"));
        FileDialog::SetAnswerForTests([&](QWidget*, const FileDialog::Asked&) { return pdf; });
        menuEntry(QStringLiteral("另存为 PDF…"))->trigger();
        QVERIFY(QFileInfo::exists(pdf));
        const QByteArray after = QCryptographicHash::hash(
            [&] { QFile f(records); f.open(QIODevice::ReadOnly); return f.readAll(); }(), QCryptographicHash::Sha256);
        QCOMPARE(after, before);
        PracticeStore::SetPathForTests(QString());
        QSettings(QStringLiteral("Pellarin"), QStringLiteral("Pellarin")).clear();
        if (popplerMissing()) QSKIP("poppler's pdftotext runs on Linux only; the Linux build reads these pages");
        const QString first = run(QStringLiteral("pdftotext"), {"-f", "1", "-l", "1", "-layout", pdf, "-"});
        QVERIFY(first.contains(QStringLiteral("王小明")));
        for (const auto& fact : facts) QVERIFY2(first.contains(QString::fromStdString(fact)), fact.c_str());
    }

    // The list's keys: Tab leaves the names for the buttons, Ctrl+Enter applies the list. A pipe
    // or a device chosen as the list's file is refused at once, with what it is.
    void classListKeysAndFilesThatAreNoLists() {
#ifndef Q_OS_WIN
        QTemporaryDir folder;
        const QString fifo = folder.filePath(QStringLiteral("list.txt"));
        QVERIFY(mkfifo(QFile::encodeName(fifo).constData(), 0600) == 0);
        QStringList chosen{fifo, QStringLiteral("/dev/zero")};
        FileDialog::SetAnswerForTests([&](QWidget*, const FileDialog::Asked&) { return chosen.isEmpty() ? QString() : chosen.takeFirst(); });
#endif
        const auto answering = answerClassList([this](QWidget* dialog) {
            auto* names = dialog->findChild<QPlainTextEdit*>(QStringLiteral("Names"));
            names->setFocus();
            names->setPlainText(QStringLiteral("甲\n乙"));
            QTest::keyClick(names, Qt::Key_Tab);
            QVERIFY(qobject_cast<QAbstractButton*>(QApplication::focusWidget()));
            QCOMPARE(names->toPlainText(), QStringLiteral("甲\n乙"));
#ifndef Q_OS_WIN
            auto* fromFile = dialog->findChild<QPushButton*>(QStringLiteral("FromFile"));
            for (const char* what : {"这不是普通文件", "这不是普通文件"}) {
                fromFile->click();
                QVERIFY(!boxes.empty());
                QVERIFY2(boxes.back().text.contains(QString::fromUtf8(what)), qPrintable(boxes.back().text));
            }
            QCOMPARE(names->toPlainText(), QStringLiteral("甲\n乙"));
            boxes.clear();
#endif
            QTest::keyClick(names, Qt::Key_Return, Qt::ControlModifier);
        });
        QVERIFY(form->findChild<PrintCommands*>()->ChooseClassList(form.get()));
        QVERIFY(answering->shown);
        FileDialog::SetAnswerForTests(nullptr);
        QCOMPARE(ClassListDialog::RememberedNames(), (QStringList{QStringLiteral("甲"), QStringLiteral("乙")}));
    }

    // More names than sheets: the user is told how many sheets are missing.
    void moreNamesThanSheetsSaysHowManyAreMissing() {
        const auto answering = answerClassList([](QWidget* dialog) {
            dialog->findChild<QPlainTextEdit*>(QStringLiteral("Names"))->setPlainText(QStringLiteral("甲\n乙\n丙\n丁\n戊"));
            QTest::keyClick(dialog, Qt::Key_Return);
        });
        QVERIFY(form->findChild<PrintCommands*>()->ChooseClassList(form.get()));
        QCOMPARE(boxes.size(), std::size_t{1});
        QVERIFY2(boxes[0].text.contains(QStringLiteral("还差 2 份")), qPrintable(boxes[0].text));
    }

    // With no documents folder the dialog starts in the home folder, not where the program
    // was started.
    void saveDialogStartsInAFolderThatExists() {
#ifdef Q_OS_WIN
        QSKIP("Windows takes the home folder from the profile, not from HOME; its Documents always exists");
#endif
        QTemporaryDir home;
        const QByteArray oldHome = qgetenv("HOME");
        qputenv("HOME", home.path().toLocal8Bit());
        QString suggested;
        FileDialog::SetAnswerForTests([&](QWidget*, const FileDialog::Asked& asked) {
            suggested = asked.suggested;
            return QString();
        });
        menuEntry(QStringLiteral("另存为 PDF…"))->trigger();
        qputenv("HOME", oldHome);
        QCOMPARE(QFileInfo(suggested).absolutePath(), QDir(home.path()).absolutePath());
    }

    void anEmptyBoxHasNothingToPrint() {
        text2()->setText(QStringLiteral("  \r\n "));
        bool chooserAsked = false;
        FileDialog::SetAnswerForTests([&](QWidget*, const FileDialog::Asked&) {
            chooserAsked = true;
            return QString();
        });
        key(Qt::Key_P, Qt::ControlModifier);  // no preview opens: the test would hang on it
        menuEntry(QStringLiteral("另存为 PDF（附答案）…"))->trigger();
        QVERIFY(!chooserAsked);
        QCOMPARE(boxes.size(), std::size_t{2});
        for (const auto& box : boxes) {
            QCOMPARE(box.icon, QMessageBox::Information);
            QVERIFY(box.text.contains(QStringLiteral("开始出题")));
        }
    }

    // 12 sheets with answers: a two-digit page count. On a 1024 x 768 screen 打印 and our
    // entries stay on the toolbar, each has a key named in its tooltip, and Tab reaches them.
    void previewEntriesStayInReachOnASmallScreen() {
        text2()->setText(run(QStringLiteral(PELLARIN_SHEETS_TOOL), {"--sheets", "12", "--seed", "4"}));
        withPreview([this] { key(Qt::Key_P, Qt::ControlModifier); }, [](QPrintPreviewDialog* dialog) {
            auto* preview = dialog->findChild<QPrintPreviewWidget*>();
            QCOMPARE(preview->zoomMode(), QPrintPreviewWidget::FitInView);
            QVERIFY(dialog->height() >= 600);  // opened to show a whole page
            dialog->resize(1024, 768);
            QApplication::processEvents();
            auto* toolbar = dialog->findChild<QToolBar*>();
            for (const char* name : {"Print", "AnswerKey", "Marks", "ClassList", "SavePdf"}) {
                auto* action = dialog->findChild<QAction*>(QString::fromLatin1(name));
                QVERIFY2(action, name);
                QWidget* button = toolbar->widgetForAction(action);
                QVERIFY2(button && button->isVisible(), name);  // not in the overflow menu
                QVERIFY(button->geometry().right() < toolbar->width());
                if (action->objectName() != QStringLiteral("Print")) QVERIFY(button->focusPolicy() & Qt::TabFocus);
                QVERIFY(action->toolTip().contains(action->shortcut().toString(QKeySequence::NativeText)));
            }
            QTest::keyClick(dialog, Qt::Key_D, Qt::ControlModifier);
            QCOMPARE(previewPages(dialog), 15);  // twelve sheets, three pages of compact keys
            QVERIFY(dialog->grab().save(QStringLiteral(PELLARIN_BUILD_DIR "/pellarin-print-preview-1024.png")));
            QTest::keyClick(dialog, Qt::Key_D, Qt::ControlModifier);
            QCOMPARE(previewPages(dialog), 12);
        });
    }
};

QTEST_MAIN(PrintCommandsTest)
#include "PrintCommandsTest.moc"
