// Marking paper through the real window: a scan of three named sheets in known handwriting
// opened with F7, every 待核 confirmed by keys, a 错 turned to 对, the results put into the
// records and seen in the progress window and the drill; the same scan marked again; a marking
// cut short offered again; damaged files and records that cannot be written.

#include <QAction>
#include <QDir>
#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QLabel>
#include <QMimeData>
#include <QListWidget>
#include <QProgressBar>
#include <QPushButton>
#include <QStandardPaths>
#include <QTableWidget>
#include <QTemporaryDir>
#include <QTextBrowser>
#include <map>
#include <set>

#include "WindowFixture.h"
#include "generator/BuildSheets.h"
#include "practice/Clock.h"
#include "records/PracticeRecords.h"
#include "sheets/PracticeSheets.h"
#include "ui/ChineseTranslations.h"
#include "ui/FileDialog.h"
#include "ui/marking/ConfirmPanel.h"
#include "ui/marking/MarkingCommands.h"
#include "ui/marking/MarkingWindow.h"
#include "ui/practice/PracticeCommands.h"
#include "ui/practice/PracticeStore.h"
#include "ui/practice/PracticeWindow.h"
#include "ui/practice/ProgressWindow.h"

namespace {

struct TestClock : practice::Clock {
    std::int64_t now = 1'765'000'000'000;
    std::int64_t NowMs() const override { return now; }
};

template <class T>
T* TopLevel() {
    for (QWidget* widget : QApplication::topLevelWidgets()) {
        if (auto* found = qobject_cast<T*>(widget); found && found->isVisible()) return found;
    }
    return nullptr;
}

// What the test scan's sheets hold: for each sheet (from 1) and problem (from 1), what the
// child wrote (-1 blank) and the right result.
struct Truth {
    QString name;
    std::vector<int> written, result;
};

}  // namespace

class MarkingWindowTest : public QObject, public WindowFixture {
    Q_OBJECT

    QTemporaryDir m_dir;
    TestClock m_clock;
    QString m_scans = QStringLiteral(PELLARIN_MARKING_SCANS);
    std::map<int, Truth> m_truth;
    std::vector<QMessageBox::StandardButton> m_answers;
    QStringList m_questions;

    QString scan() const { return m_scans + QStringLiteral("/scan.pdf"); }

    // As a teacher sees it, under build/.
    static void grab(QWidget* window, const char* name) {
        QCoreApplication::sendPostedEvents();  // laid out as the screen would show it
        QCoreApplication::sendPostedEvents(nullptr, QEvent::LayoutRequest);
        window->grab().save(QStringLiteral(PELLARIN_BUILD_DIR "/%1.png").arg(QLatin1String(name)));
    }

    // F7 in the main window, the file dialog answered with `files`; the marking window once
    // every page is read.
    MarkingWindow* markWithF7(const QStringList& files) {
        FileDialog::SetAnswerForTests([files](QWidget*, const FileDialog::Asked&) { return files.join(QLatin1Char('\n')); });
        form->activateWindow();
        if (!QTest::qWaitForWindowActive(form.get())) return nullptr;
        QTest::keyClick(form.get(), Qt::Key_F7);
        FileDialog::SetAnswerForTests(nullptr);
        auto* window = TopLevel<MarkingWindow>();
        if (!window) return nullptr;
        if (!QTest::qWaitFor([&] { return !window->reading(); }, 120000)) return nullptr;
        window->activateWindow();
        return QTest::qWaitFor([&] { return window->isActiveWindow(); }) ? window : nullptr;
    }

    const Truth& truthOf(const MarkingWindow* window, MarkingBook::Item item) {
        return m_truth.at(window->book().page(item.page).page.marks.sheet.sheet);
    }

private slots:
    void initTestCase() {
        QStandardPaths::setTestModeEnabled(true);
        QVERIFY(InstallChineseTranslations());
        QVERIFY(m_dir.isValid());
        QFile file(m_scans + QStringLiteral("/truth.json"));
        QVERIFY2(file.open(QIODevice::ReadOnly), qPrintable(file.fileName()));
        for (const QJsonValue& value : QJsonDocument::fromJson(file.readAll()).array()) {
            const QJsonObject sheet = value.toObject();
            Truth& truth = m_truth[sheet.value(QStringLiteral("sheet")).toInt()];
            truth.name = sheet.value(QStringLiteral("name")).toString();
            for (const QJsonValue& answer : sheet.value(QStringLiteral("answers")).toArray()) {
                const QJsonValue written = answer.toObject().value(QStringLiteral("written"));
                truth.written.push_back(written.isNull() ? -1 : written.toInt());
                truth.result.push_back(answer.toObject().value(QStringLiteral("result")).toInt());
            }
        }
        QCOMPARE(m_truth.size(), 3u);
        MarkingCommands::SetClockForTests(&m_clock);
        PracticeCommands::SetClockForTests(&m_clock);
        PracticeCommands::SetDrillSeedForTests(20261210);
        MessageBox::SetAnswerHookForTests([this](const MessageBox::Shown& shown) {
            m_questions << shown.text;
            if (m_answers.empty()) return QMessageBox::Cancel;
            const auto answer = m_answers.front();
            m_answers.erase(m_answers.begin());
            return answer;
        });
    }
    void init() {
        PracticeStore::SetPathForTests(m_dir.filePath(QStringLiteral("%1/practice.sqlite").arg(QTest::currentTestFunction())));
        QDir().mkpath(m_dir.filePath(QString::fromLatin1(QTest::currentTestFunction())));
        m_answers.clear();
        m_questions.clear();
        open();
    }
    void cleanup() {
        for (QWidget* widget : QApplication::topLevelWidgets()) {
            if (qobject_cast<MarkingWindow*>(widget) || qobject_cast<ProgressWindow*>(widget) ||
                qobject_cast<PracticeWindow*>(widget)) {
                delete widget;
            }
        }
        close();
    }

    void theMenuAndTheTooltipNameTheKey() {
        auto* entry = form->findChild<QAction*>(QStringLiteral("MarkPaper"));
        QVERIFY(entry);
        QCOMPARE(entry->text(), QStringLiteral("批改纸质试卷…\tF7"));
        QVERIFY(text2()->toolTip().contains(QStringLiteral("F7")));
        // Cancelled in the file dialog: no window.
        FileDialog::SetAnswerForTests([](QWidget*, const FileDialog::Asked&) { return QString(); });
        entry->trigger();
        FileDialog::SetAnswerForTests(nullptr);
        QVERIFY(!TopLevel<MarkingWindow>());
    }

    // Files dragged from a file manager onto the output box or the window: the scans among them
    // are marked and the box's text is left as it was; a drop without a scan is the box's own.
    void scansDroppedOnTheWindowAreMarked() {
        const auto drop = [](QWidget* target, const QStringList& files) {
            QMimeData data;
            QList<QUrl> urls;
            for (const QString& file : files) urls << QUrl::fromLocalFile(file);
            data.setUrls(urls);
            const QPoint at = target->rect().center();
            QDragEnterEvent enter(at, Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
            QCoreApplication::sendEvent(target, &enter);
            QDropEvent dropped(QPointF(at), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
            QCoreApplication::sendEvent(target, &dropped);
        };
        const QString notes = m_dir.filePath(QStringLiteral("notes.txt"));
        drop(text2()->viewport(), {notes});
        QVERIFY(!TopLevel<MarkingWindow>());
        const QString text = text2()->toPlainText();

        for (QWidget* target : {text2()->viewport(), static_cast<QWidget*>(form.get())}) {
            drop(target, {notes, scan()});
            auto* window = TopLevel<MarkingWindow>();
            QVERIFY(window);
            QVERIFY(QTest::qWaitFor([&] { return !window->reading(); }, 120000));
            QCOMPARE(window->windowTitle(), QStringLiteral("批改纸质试卷 · scan.pdf"));
            QCOMPARE(window->findChild<QTableWidget*>(QStringLiteral("MarkedSheets"))->rowCount(), 3);
            QCOMPARE(text2()->toPlainText(), text);
            delete window;
        }
    }

    // pellarin-sheets' --record and --adapt find the records where the window keeps them.
    void theCommandLineFindsTheWindowsRecords() {
        const QString name = QCoreApplication::applicationName();
        QCoreApplication::setApplicationName(QStringLiteral("Pellarin"));  // as the program names itself
        QStandardPaths::setTestModeEnabled(false);
        PracticeStore::SetPathForTests(QString());
        const QString window = QStandardPaths::writableLocation(QStandardPaths::AppDataLocation) + QStringLiteral("/practice.sqlite");
        const QString tool = QString::fromStdString(PracticeRecords::DefaultPath());
        QStandardPaths::setTestModeEnabled(true);
        QCoreApplication::setApplicationName(name);
        QVERIFY(!tool.isEmpty());
        QCOMPARE(QDir::cleanPath(QDir::fromNativeSeparators(tool)).toLower(), QDir::cleanPath(window).toLower());
    }

    void aScanIsConfirmedByKeysRecordedAndNeverCountedTwice() {
        // Reading: the sheets appear as they are read, and the window answers meanwhile.
        FileDialog::SetAnswerForTests([this](QWidget*, const FileDialog::Asked&) { return scan(); });
        form->activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(form.get()));
        QTest::keyClick(form.get(), Qt::Key_F7);
        FileDialog::SetAnswerForTests(nullptr);
        MarkingWindow* window = TopLevel<MarkingWindow>();
        QVERIFY(window);
        window->resize(1280, 760);
        auto* table = window->findChild<QTableWidget*>(QStringLiteral("MarkedSheets"));
        auto* bar = window->findChild<QProgressBar*>(QStringLiteral("MarkingProgress"));
        QTRY_VERIFY_WITH_TIMEOUT(table->rowCount() >= 1, 60000);
        if (window->reading()) {
            // The bar and the status count the pages shown.
            QCOMPARE(bar->value(), table->rowCount());
            auto* status = window->findChild<QLabel*>(QStringLiteral("MarkingStatus"));
            QVERIFY2(status->text().startsWith(QStringLiteral("正在读：第 %1 / 3 页").arg(table->rowCount())), qPrintable(status->text()));
            grab(window, "pellarin-marking-reading");
        }
        QTRY_VERIFY_WITH_TIMEOUT(!window->reading(), 120000);
        QCOMPARE(bar->maximum(), 3);
        QCOMPARE(bar->value(), 3);
        QCOMPARE(table->rowCount(), 3);
        for (int row = 0; row < 3; ++row) {
            QCOMPARE(table->item(row, 1)->text(), QString::number(row + 1));
            QCOMPARE(table->item(row, 2)->text(), m_truth.at(row + 1).name);
        }
        QCOMPARE(window->findChild<QListWidget*>(QStringLiteral("UnreadablePages"))->count(), 0);
        const MarkingBook& book = window->book();
        const int doubtful = book.DoubtfulLeft();
        QVERIFY2(doubtful >= 3, "the scan should leave a few answers to confirm");

        // 核对 by keys: the most doubtful first, the value read filled in.
        window->activateWindow();
        QVERIFY(QTest::qWaitFor([&] { return window->isActiveWindow(); }));
        QTest::keyClick(QApplication::focusWidget() ? QApplication::focusWidget() : window, Qt::Key_F2);
        auto* panel = window->findChild<ConfirmPanel*>();
        QVERIFY(panel->isVisible());
        auto* value = window->findChild<QLineEdit*>(QStringLiteral("ConfirmValue"));
        auto* left = window->findChild<QLabel*>(QStringLiteral("ConfirmLeft"));
        std::map<std::pair<int, int>, scan::Verdict> expected;  // by sheet and problem number
        for (int p = 0; p < 3; ++p) {
            for (const auto& mark : book.page(p).page.marks.marks) {
                expected[{book.page(p).page.marks.sheet.sheet, mark.number}] = mark.verdict;
            }
        }
        double lastCertainty = -1;
        bool corrected = false, blanked = false;
        int confirmed = 0;
        while (panel->current() && !panel->inWrongPass()) {
            const MarkingBook::Item item = *panel->current();
            const scan::ProblemMark& mark = book.mark(item);
            QVERIFY(mark.certainty >= lastCertainty);  // the most doubtful first
            lastCertainty = mark.certainty;
            QCOMPARE(left->text(), QStringLiteral("还剩 %1 题待核").arg(doubtful - confirmed));
            QCOMPARE(QApplication::focusWidget(), value);
            QCOMPARE(value->text(), QString::fromStdString(mark.reading.digits).left(3));
            if (confirmed == 0) grab(window, "pellarin-marking-confirm");
            const Truth& truth = truthOf(window, item);
            const int written = truth.written[static_cast<std::size_t>(mark.number - 1)];
            const int result = truth.result[static_cast<std::size_t>(mark.number - 1)];
            const auto key = std::make_pair(book.page(item.page).page.marks.sheet.sheet, mark.number);
            if (!blanked) {
                // The teacher sees nothing worth counting in the box: one key says blank.
                QTest::keyClick(value, Qt::Key_Space);
                expected[key] = scan::Verdict::Wrong;
                blanked = true;
            } else if (written >= 0 && QString::number(written) != value->text()) {
                // The value read is not what the child wrote: typed over it.
                QTest::keyClicks(value, QString::number(written));
                QTest::keyClick(value, Qt::Key_Return);
                expected[key] = written == result ? scan::Verdict::Right : scan::Verdict::Wrong;
                corrected = true;
            } else if (written >= 0) {
                QTest::keyClick(value, Qt::Key_Return);
                expected[key] = written == result ? scan::Verdict::Right : scan::Verdict::Wrong;
            } else {
                QTest::keyClick(value, Qt::Key_Space);
                expected[key] = scan::Verdict::Wrong;
            }
            ++confirmed;
            QVERIFY(confirmed <= doubtful);
        }
        QCOMPARE(confirmed, doubtful);
        QVERIFY(corrected);
        QCOMPARE(book.DoubtfulLeft(), 0);

        // The pass over every 错: the first is turned to 对 by one key, as is any the child
        // really got right; the rest stay 错 with Enter.
        QVERIFY(panel->inWrongPass());
        const int wrongs = book.WrongLeft();
        QVERIFY(wrongs > 0);
        auto* shown = window->findChild<QLabel*>(QStringLiteral("ConfirmExpected"));
        int looked = 0;
        while (panel->current()) {
            const MarkingBook::Item item = *panel->current();
            const scan::ProblemMark& mark = book.mark(item);
            QVERIFY(shown->text().contains(QStringLiteral("应为 %1").arg(*mark.result)));
            if (looked == 0) grab(window, "pellarin-marking-wrong-pass");
            const Truth& truth = truthOf(window, item);
            const bool reallyRight = truth.written[static_cast<std::size_t>(mark.number - 1)] == *mark.result;
            const auto key = std::make_pair(book.page(item.page).page.marks.sheet.sheet, mark.number);
            if (looked == 0 || reallyRight) {
                QTest::keyClick(QApplication::focusWidget(), Qt::Key_Space);
                expected[key] = scan::Verdict::Right;
            } else {
                QTest::keyClick(QApplication::focusWidget(), Qt::Key_Return);
            }
            ++looked;
        }
        QCOMPARE(looked, wrongs);
        // Done: the class's summary.
        auto* summary = window->findChild<QTextBrowser*>(QStringLiteral("ClassSummary"));
        QTRY_VERIFY(summary->isVisible());
        QVERIFY(summary->toPlainText().contains(QStringLiteral("平均")));
        QVERIFY(summary->toPlainText().contains(QStringLiteral("错的人最多的十道题")));
        grab(window, "pellarin-marking-summary");

        std::map<QString, int> scores;
        std::map<QString, std::set<std::string>> missed;
        for (int p = 0; p < 3; ++p) {
            const auto& marks = book.page(p).page.marks;
            const QString name = QString::fromStdString(marks.sheet.name);
            scores[name] = 0;
            for (const auto& mark : marks.marks) {
                const scan::Verdict verdict = expected.at({marks.sheet.sheet, mark.number});
                QCOMPARE(mark.verdict, verdict);
                if (verdict == scan::Verdict::Right) ++scores[name];
                else if (verdict == scan::Verdict::Wrong) missed[name].insert(mark.problem);
            }
            QCOMPARE(table->item(p, 3)->text(), QString::number(scores[name]));
        }

        // Into the records: three paper sessions with those scores, their misses on the lists.
        QTest::mouseClick(window->findChild<QPushButton*>(QStringLiteral("RecordMarking")), Qt::LeftButton);
        QVERIFY2(m_questions.isEmpty(), qPrintable(m_questions.join(QLatin1Char('|'))));
        QVERIFY2(boxes.back().text.contains(QStringLiteral("已把 3 份试卷记入练习记录")), qPrintable(boxes.back().text));
        QVERIFY(!QFile::exists(MarkingWindow::KeptPath(PracticeStore::DefaultPath())));
        // Each child's paper sessions: one, with its score; and what is on the child's list.
        auto checkRecords = [&](bool lists) {
            PracticeRecords::Error error;
            auto records = PracticeRecords::Open(PracticeStore::DefaultPath().toStdString(), error);
            QVERIFY(records);
            for (const auto& [name, score] : scores) {
                auto sessions = records->Finished(name.toStdString()).value();
                std::erase_if(sessions, [](const auto& s) { return !s.paper; });
                QCOMPARE(sessions.size(), 1u);
                QCOMPARE(sessions[0].right, score);
                QCOMPARE(sessions[0].asked, 100);
                if (!lists) continue;
                std::set<std::string> listed;
                const auto list = records->MissedList(name.toStdString()).value();
                for (const auto& entry : list) listed.insert(entry.problem.text);
                QCOMPARE(listed, missed[name]);
            }
        };
        checkRecords(true);
        if (QTest::currentTestFailed()) return;

        // 练习记录 shows the paper session with its marker.
        const QString first = m_truth.at(1).name;
        auto* progressEntry = form->findChild<QAction*>(QStringLiteral("PracticeProgress"));
        progressEntry->trigger();
        auto* progress = TopLevel<ProgressWindow>();
        QVERIFY(progress);
        progress->findChild<QComboBox*>(QStringLiteral("ProgressChild"))->setCurrentText(first);
        auto* sessions = progress->findChild<QTableWidget*>(QStringLiteral("ProgressSessions"));
        QCOMPARE(sessions->rowCount(), 1);
        QCOMPARE(sessions->item(0, 1)->text(), QStringLiteral("纸"));
        QCOMPARE(sessions->item(0, 3)->text(), QStringLiteral("%1/100").arg(scores[first]));
        QCOMPARE(sessions->item(0, 4)->text(), QStringLiteral("—"));
        QVERIFY(QTest::qWaitForWindowExposed(progress));
        grab(progress, "pellarin-marking-progress");
        delete progress;

        // The drill after the child's next sheet on screen brings back what was missed on paper.
        const auto run = pellarin::BuildSheets(99, 1, u"易");
        const std::vector<PracticeSheet> sheets = PracticeSheetsOf(QString::fromStdU16String(run.outputText));
        auto* practice = new PracticeWindow({first, 1, sheets[0].title, sheets[0].problems, 0, {}, 0, 0}, std::make_shared<PracticeStore>(),
                                            m_clock, 7, form.get());
        practice->show();
        practice->activateWindow();
        QVERIFY(QTest::qWaitFor([&] { return practice->isActiveWindow(); }));
        for (const auto& problem : sheets[0].problems) {
            QTest::keyClicks(QApplication::focusWidget(), QString::number(problem.value));
            QTest::keyClick(QApplication::focusWidget(), Qt::Key_Return);
        }
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Return, Qt::ControlModifier);
        auto* drillButton = practice->findChild<QPushButton*>(QStringLiteral("StartDrill"));
        QTRY_VERIFY(drillButton->isEnabled());
        QTest::mouseClick(drillButton, Qt::LeftButton);
        const std::string asked = practice->findChild<QLabel*>(QStringLiteral("DrillProblem"))->text().toStdString();
        QVERIFY2(missed[first].count(asked), asked.c_str());
        delete practice;

        // The same scan marked again: the window asks, and nothing counts twice.
        window->close();
        QTRY_VERIFY(!TopLevel<MarkingWindow>());
        MarkingWindow* again = markWithF7({scan()});
        QVERIFY(again);
        m_answers = {QMessageBox::Yes, QMessageBox::No};  // record with 待核 left; keep the earlier results
        QTest::mouseClick(again->findChild<QPushButton*>(QStringLiteral("RecordMarking")), Qt::LeftButton);
        QCOMPARE(m_questions.size(), 2);
        QVERIFY2(m_questions[0].contains(QStringLiteral("待核")), qPrintable(m_questions[0]));
        QVERIFY2(m_questions[1].contains(QStringLiteral("3 份试卷以前已经记入过")), qPrintable(m_questions[1]));
        checkRecords(false);
        // Replaced by this marking, whose 待核 count neither way: still one paper session each.
        m_answers = {QMessageBox::Yes, QMessageBox::Yes};
        QTest::mouseClick(again->findChild<QPushButton*>(QStringLiteral("RecordMarking")), Qt::LeftButton);
        QCOMPARE(m_questions.size(), 4);
        for (int p = 0; p < 3; ++p) scores[QString::fromStdString(again->book().page(p).page.marks.sheet.name)] = again->book().Score(p);
        checkRecords(false);
        m_answers = {QMessageBox::Yes};
        again->close();
    }

    // A crash after some answers were confirmed: they are kept beside the records, offered at
    // the next start and applied to the pages as they are read again.
    void aMarkingCutShortIsOfferedAtTheNextStart() {
        MarkingWindow* window = markWithF7({scan()});
        QVERIFY(window);
        const int doubtful = window->book().DoubtfulLeft();
        window->StartConfirming();
        auto* value = window->findChild<QLineEdit*>(QStringLiteral("ConfirmValue"));
        QTest::keyClick(value, Qt::Key_Space);
        QTest::keyClick(value, Qt::Key_Return);
        auto* name = window->findChild<QTableWidget*>(QStringLiteral("MarkedSheets"))->item(0, 5);
        name->setText(QStringLiteral("25"));  // 用时 typed in
        const QString kept = MarkingWindow::KeptPath(PracticeStore::DefaultPath());
        QTRY_VERIFY(QFile::exists(kept));
        // The program dies: nothing is asked, nothing recorded.
        delete window;
        close();
        m_answers = {QMessageBox::Yes};
        open();
        QTRY_VERIFY(!m_questions.isEmpty());
        QVERIFY2(m_questions[0].contains(QStringLiteral("还没有记入练习记录")), qPrintable(m_questions[0]));
        MarkingWindow* again = TopLevel<MarkingWindow>();
        QVERIFY(again);
        QTRY_VERIFY_WITH_TIMEOUT(!again->reading(), 120000);
        QCOMPARE(again->book().DoubtfulLeft(), doubtful - 2);
        QCOMPARE(again->book().page(0).minutes, 25);
        m_answers = {QMessageBox::Yes};
        again->close();
    }

    // A damaged file beside the scan: its reason is listed and the sheets are marked. Records
    // that cannot be written are said as practice says it, and the CSV and PDF are still saved.
    void damagedFilesAndUnwritableRecordsLoseNothing() {
        const QString broken = m_dir.filePath(QStringLiteral("坏了.pdf"));
        QFile file(broken);
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write("%PDF-1.4\nnot a pdf at all");
        file.close();
        MarkingWindow* window = markWithF7({broken, scan(), m_dir.filePath(QStringLiteral("不存在.png"))});
        QVERIFY(window);
        auto* unreadable = window->findChild<QListWidget*>(QStringLiteral("UnreadablePages"));
        QCOMPARE(unreadable->count(), 2);
        QVERIFY(unreadable->item(0)->text().contains(QStringLiteral("不是能读的 PDF 文件")));
        QVERIFY(unreadable->item(1)->text().contains(QStringLiteral("文件不存在")));
        QCOMPARE(window->findChild<QTableWidget*>(QStringLiteral("MarkedSheets"))->rowCount(), 3);

        // The records' folder is a file: nothing can be written there.
        const QString blocked = m_dir.filePath(QStringLiteral("blocked"));
        QFile block(blocked);
        QVERIFY(block.open(QIODevice::WriteOnly));
        block.close();
        PracticeStore::SetPathForTests(blocked + QStringLiteral("/practice.sqlite"));
        boxes.clear();
        QTest::mouseClick(window->findChild<QPushButton*>(QStringLiteral("RecordMarking")), Qt::LeftButton);
        QVERIFY(!boxes.empty());
        QVERIFY2(boxes.back().text.contains(QDir::toNativeSeparators(blocked)), qPrintable(boxes.back().text));

        QString error;
        const QString csv = m_dir.filePath(QStringLiteral("批改结果.csv"));
        QVERIFY2(window->SaveCsv(csv, error), qPrintable(error));
        QFile written(csv);
        QVERIFY(written.open(QIODevice::ReadOnly));
        const QList<QByteArray> lines = written.readAll().split('\n');
        QCOMPARE(lines.size(), 1 + 2 + 300 + 1);  // header, two unreadable files, 300 answers, the end
        const QString pdf = m_dir.filePath(QStringLiteral("批改后.pdf"));
        QVERIFY2(window->SaveMarkedPdf(pdf, error), qPrintable(error));
        QVERIFY(QFileInfo(pdf).size() > 10000);
        // Saved again over it, as after the dialog's question: replaced whole, nothing left beside it.
        const QStringList files = QDir(m_dir.path()).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot);
        QVERIFY(QFile::resize(pdf, 10));
        QVERIFY2(window->SaveMarkedPdf(pdf, error), qPrintable(error));
        QVERIFY(QFileInfo(pdf).size() > 10000);
        QCOMPARE(QDir(m_dir.path()).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot), files);
        window->close();
    }
};

QTEST_MAIN(MarkingWindowTest)
#include "MarkingWindowTest.moc"
