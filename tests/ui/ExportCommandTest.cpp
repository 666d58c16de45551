// The export command in the window, and the desktop writer that files and opens the document.
#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include "WindowFixture.h"
#include "export/DesktopDocumentWriter.h"
#include "export/DesktopOpener.h"

class ExportCommandTest : public QObject, public WindowFixture {
    Q_OBJECT

    bool exportAvailable() const { return face(5)->isEnabled() && label(5)->isEnabled(); }

    // A desktop writer with a fixed clock; it records what it opened and answers `canOpen`
    // later, as the desktop does.
    static std::unique_ptr<pellarin::DesktopDocumentWriter> desktop(
        const QString& folder, QStringList* opened, bool canOpen = true,
        pellarin::DesktopDocumentWriter::NotOpened notOpened = {}) {
        return std::make_unique<pellarin::DesktopDocumentWriter>(
            pellarin::DesktopDocumentWriter::Environment{
                [folder] { return folder; }, [] { return QDateTime(QDate(2026, 12, 8), QTime(13, 15, 0)); },
                [opened, canOpen](const QString& path, pellarin::DesktopDocumentWriter::Done done) {
                    opened->append(path);
                    QTimer::singleShot(10, [done, canOpen] { done(canOpen); });
                }},
            std::move(notOpened));
    }
    static void writeOne(pellarin::DocumentWriter& writer) {
        pellarin::WriteSheetsDocument(writer, [] { return std::u16string(u"题"); });
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
        QVERIFY(!exportAvailable());  // one export per run: a second click does nothing
        const std::size_t calls = writer->calls.size();
        click(label(5));
        QCOMPARE(writer->calls.size(), calls);
        clickFace(4);
        clickFace(6);
        QVERIFY(!exportAvailable());  // clear takes it away
        text1(2)->setText(QStringLiteral("0"));
        clickFace(4);
        QVERIFY(exportAvailable());   // a run that produced nothing allows it too
        clickFace(5);
        QCOMPARE(writer->calls[writer->calls.size() - 2], QStringLiteral("InsertText "));
        QVERIFY(boxes.empty());
    }

    void writerCallsComeInOrderWithTheirValues() {
        text1(2)->setText(QStringLiteral("1"));
        clickFace(4);
        text2()->setFocus();
        text2()->moveCursor(QTextCursor::End);
        type(QStringLiteral("!"));  // the user's edit goes into the document
        click(label(5));
        const std::vector<QString> expected = {
            "Create",           "PageHeight 841.89", "PageWidth 595.28",  "TopMargin 62.36",
            "BottomMargin 62.36", "LeftMargin 89.86",  "RightMargin 89.86", "FontSize 15.00",
            "InsertText " + text2()->text(), "Show"};
        QCOMPARE(writer->calls, expected);
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
        QVERIFY(boxes[0].text.contains(onCreate ? QStringLiteral("磁盘已满") : QStringLiteral("没有在这里写文件的权限")));
        // Generating again would throw the user's edits away; the copy command keeps them.
        QVERIFY(boxes[0].text.contains(QStringLiteral("将题复制至:剪贴板")));
        QVERIFY(boxes[0].text.contains(QStringLiteral("口算题.docx")));
        QVERIFY(form->isVisible());
        QCOMPARE(text2()->text(), text);
        // The user frees room and tries again, by click and by key, with the edited text.
        QVERIFY(exportAvailable());
        writer->failOnCreate = writer->failOnShow = false;
        writer->calls.clear();
        QTest::keyClick(form.get(), Qt::Key_S, Qt::ControlModifier);
        QCOMPARE(boxes.size(), std::size_t{1});
        QVERIFY(!writer->calls.empty());
        QCOMPARE(writer->calls.back(), QStringLiteral("Show"));
        QVERIFY(!exportAvailable());  // the document is made: one per run, as before
    }

    void desktopWriterNamesFilesAndNeverOverwrites() {
        QTemporaryDir home;
        const QString folder = home.filePath(QStringLiteral("文档/新建"));  // created when missing
        QStringList opened;
        writeOne(*desktop(folder, &opened));
        writeOne(*desktop(folder, &opened));
        QCOMPARE(opened, (QStringList{QDir(folder).filePath(QStringLiteral("口算题-2026-12-08-131500.docx")),
                                      QDir(folder).filePath(QStringLiteral("口算题-2026-12-08-131500-2.docx"))}));
        for (const QString& path : opened) {
            QFile file(path);
            QVERIFY(file.open(QIODevice::ReadOnly) && file.read(2) == "PK");  // a zip package each
        }
    }

    void desktopWriterReportsAnUnwritableFolder() {
        QTemporaryDir home;
        QFile blocker(home.filePath(QStringLiteral("file")));
        QVERIFY(blocker.open(QIODevice::WriteOnly));
        QStringList opened;
        QVERIFY_THROWS_EXCEPTION(pellarin::DocumentError,
                                 writeOne(*desktop(home.filePath(QStringLiteral("file/sub")), &opened)));
        QVERIFY(opened.isEmpty());
    }

    // Through the window with the real writer: the file lands and, when nothing can open it,
    // the user is told where it is.
    void windowReportsASavedButUnopenedDocument() {
        QTemporaryDir home;
        QStringList opened;
        close();
        open([&](Form1::NotOpened notOpened) { return desktop(home.path(), &opened, false, notOpened); });
        clickFace(4);
        clickFace(5);
        QCOMPARE(opened.size(), 1);
        QVERIFY(QFile::exists(opened[0]));
        QVERIFY(boxes.empty());  // the desktop answers later; the window does not wait for it
        QTRY_COMPARE(boxes.size(), std::size_t{1});
        QCOMPARE(boxes[0].icon, QMessageBox::Information);
        QVERIFY(boxes[0].text.contains(QDir::toNativeSeparators(opened[0])));
    }

    // The real opener runs the desktop's xdg-open and waits for its verdict without blocking.
    void desktopOpenerReportsTheOpenersOutcome_data() {
        QTest::addColumn<QString>("script");
        QTest::addColumn<bool>("opened");
        QTest::newRow("opened") << QStringLiteral("#!/bin/sh\nexit 0\n") << true;
        QTest::newRow("no application") << QStringLiteral("#!/bin/sh\n/bin/sleep 0.2; exit 3\n") << false;
        QTest::newRow("no opener") << QString() << false;
    }
    void desktopOpenerReportsTheOpenersOutcome() {
        QFETCH(QString, script);
        QFETCH(bool, opened);
#ifdef Q_OS_WIN
        if (!script.isEmpty()) QSKIP("a script stands in for the Linux desktop's xdg-open; Windows opens through its shell");
#endif
        QTemporaryDir bin;
        if (!script.isEmpty()) {
            QFile opener(bin.filePath(QStringLiteral("xdg-open")));
            QVERIFY(opener.open(QIODevice::WriteOnly));
            opener.write(script.toUtf8());
            opener.close();
            opener.setPermissions(QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
        }
        const QByteArray path = qgetenv("PATH");
        qputenv("PATH", bin.path().toUtf8());
        std::optional<bool> outcome;
        pellarin::OpenWithDesktop(bin.filePath(QStringLiteral("a.docx")), [&](bool ok) { outcome = ok; });
        qputenv("PATH", path);
        QVERIFY(!outcome.has_value() || script.isEmpty());
        QTRY_VERIFY(outcome.has_value());
        QCOMPARE(*outcome, opened);
    }
};

QTEST_MAIN(ExportCommandTest)
#include "ExportCommandTest.moc"
