// The export command in the window, and the desktop writer that files and opens the document.
#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include "WindowFixture.h"
#include "export/DesktopDocumentWriter.h"

class ExportCommandTest : public QObject, public WindowFixture {
    Q_OBJECT

    bool exportAvailable() const { return face(5)->isEnabled() && label(5)->isEnabled(); }

    static pellarin::DesktopDocumentWriter::Environment environment(const QString& folder, QStringList* opened,
                                                                    bool canOpen = true) {
        return {[folder] { return folder; },
                [] { return QDateTime(QDate(2026, 12, 8), QTime(13, 15, 0)); },
                [opened, canOpen](const QString& path) {
                    opened->append(path);
                    return canOpen;
                }};
    }
    static void writeOne(pellarin::DesktopDocumentWriter& writer, const std::u16string& text) {
        pellarin::WriteSheetsDocument(writer, [&] { return text; });
        writer.Show();
    }

private slots:
    void init() { open(); }
    void cleanup() { close(); }

    void availabilityFollowsRunsExportsAndClear() {
        QVERIFY(!exportAvailable());  // at start
        clickFace(4);
        QVERIFY(exportAvailable());
        clickFace(5);
        QVERIFY(!exportAvailable());  // one export per run
        const std::size_t calls = writer->calls.size();
        clickFace(5);                 // a second click does nothing
        click(label(5));
        QCOMPARE(writer->calls.size(), calls);
        clickFace(4);
        QVERIFY(exportAvailable());
        clickFace(6);
        QVERIFY(!exportAvailable());  // clear takes it away
        text1(2)->setText(QStringLiteral("0"));
        clickFace(4);
        QVERIFY(exportAvailable());   // a run that produced nothing allows it too
        QVERIFY(boxes.empty());
    }

    void writerCallsComeInOrderWithTheirValues() {
        text1(2)->setText(QStringLiteral("1"));
        clickFace(4);
        text2()->setFocus();
        text2()->moveCursor(QTextCursor::End);
        type(QStringLiteral("!"));  // the user's edit goes into the document
        const QString text = text2()->text();
        click(label(5));
        const std::vector<QString> expected = {
            "Create",           "PageHeight 841.89", "PageWidth 595.28",  "TopMargin 62.36",
            "BottomMargin 62.36", "LeftMargin 89.86",  "RightMargin 89.86", "FontSize 15.00",
            "InsertText " + text, "Show"};
        QCOMPARE(writer->calls, expected);
        QVERIFY(boxes.empty());
    }

    void emptyBoxIsExportedToo() {
        text1(2)->setText(QStringLiteral("0"));
        clickFace(4);
        clickFace(5);
        QCOMPARE(writer->calls.size(), std::size_t{10});
        QCOMPARE(writer->calls[8], QStringLiteral("InsertText "));
    }

    void failingWriterKeepsTheWindow_data() {
        QTest::addColumn<bool>("onCreate");
        QTest::newRow("cannot create") << true;
        QTest::newRow("cannot save") << false;
    }
    void failingWriterKeepsTheWindow() {
        QFETCH(bool, onCreate);
        (onCreate ? writer->failOnCreate : writer->failOnShow) = true;
        clickFace(4);
        const QString text = text2()->text();
        clickFace(5);
        QCOMPARE(boxes.size(), std::size_t{1});
        QCOMPARE(boxes[0].icon, QMessageBox::Warning);
        QVERIFY(boxes[0].text.contains(onCreate ? QStringLiteral("磁盘已满") : QStringLiteral("Permission denied")));
        QVERIFY(boxes[0].text.contains(QStringLiteral("口算题.docx")));
        QVERIFY(form->isVisible());
        QCOMPARE(text2()->text(), text);
        QVERIFY(!exportAvailable());  // until the next run
        QCOMPARE(writer->calls.back(), onCreate ? QStringLiteral("Create") : QStringLiteral("Show"));
    }

    void desktopWriterNamesFilesAndNeverOverwrites() {
        QTemporaryDir home;
        const QString folder = home.filePath(QStringLiteral("文档/新建"));  // created when missing
        QStringList opened;
        pellarin::DesktopDocumentWriter first(environment(folder, &opened));
        writeOne(first, u"第一份");
        pellarin::DesktopDocumentWriter second(environment(folder, &opened));
        writeOne(second, u"第二份");
        const QStringList expected = {QDir(folder).filePath(QStringLiteral("口算题-2026-12-08-131500.docx")),
                                      QDir(folder).filePath(QStringLiteral("口算题-2026-12-08-131500-2.docx"))};
        QCOMPARE(opened, expected);
        QCOMPARE(first.savedPath(), expected[0]);
        for (const QString& path : expected) {
            QFile file(path);
            QVERIFY(file.open(QIODevice::ReadOnly));
            QVERIFY(file.read(2) == "PK");  // a zip package
        }
        QVERIFY(QFile(expected[0]).size() != 0);
    }

    void desktopWriterReportsWhereItSavedWhenNothingOpens() {
        QTemporaryDir home;
        QStringList opened;
        pellarin::DesktopDocumentWriter writer(environment(home.path(), &opened, false));
        try {
            writeOne(writer, u"text");
            QFAIL("no report");
        } catch (const pellarin::DocumentNotOpened& e) {
            QVERIFY(QString::fromStdString(e.path()).endsWith(QStringLiteral("口算题-2026-12-08-131500.docx")));
        }
        QVERIFY(QFile::exists(writer.savedPath()));
    }

    void desktopWriterReportsAnUnwritableFolder() {
        QTemporaryDir home;
        QFile blocker(home.filePath(QStringLiteral("file")));
        QVERIFY(blocker.open(QIODevice::WriteOnly));
        blocker.close();
        QStringList opened;
        pellarin::DesktopDocumentWriter writer(environment(home.filePath(QStringLiteral("file/sub")), &opened));
        QVERIFY_THROWS_EXCEPTION(pellarin::DocumentError, writeOne(writer, u"text"));
        QVERIFY(opened.isEmpty());
    }

    // Through the window, with the real writer: the file lands, the user is told where.
    void windowReportsASavedButUnopenedDocument() {
        QTemporaryDir home;
        QStringList opened;
        close();
        boxes.clear();
        MessageBox::SetTestHook([this](const MessageBox::Shown& shown) { boxes.push_back(shown); });
        Form1::Options options;
        options.showSplash = false;
        options.makeWriter = [&] {
            return std::make_unique<pellarin::DesktopDocumentWriter>(environment(home.path(), &opened, false));
        };
        form = std::make_unique<Form1>(options);
        form->show();
        QVERIFY(QTest::qWaitForWindowExposed(form.get()));
        clickFace(4);
        clickFace(5);
        QCOMPARE(opened.size(), 1);
        QCOMPARE(boxes.size(), std::size_t{1});
        QCOMPARE(boxes[0].icon, QMessageBox::Information);
        QVERIFY(boxes[0].text.contains(QDir::toNativeSeparators(opened[0])));
        QVERIFY(QFile::exists(opened[0]));
    }
};

QTEST_MAIN(ExportCommandTest)
#include "ExportCommandTest.moc"
