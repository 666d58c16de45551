// Practice on screen through the real window: F6 from the main window, the start dialog, a
// sheet typed with real keys, marked, drilled, and the progress window with its CSV.

#include <QAction>
#include <QCheckBox>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QInputDialog>
#include <QLabel>
#include <QListWidget>
#include <QProcess>
#include <QPrintPreviewDialog>
#include <QPrintPreviewWidget>
#include <QPrinter>
#include <QProgressBar>
#include <QPushButton>
#include <QScrollArea>
#include <QScrollBar>
#include <QStandardPaths>
#include <QTableWidget>
#include <QTemporaryDir>
#include <set>

#include "WindowFixture.h"
#include "generator/BuildSheets.h"
#include "practice/Clock.h"
#include "records/PracticeRecords.h"
#include "sheets/PracticeSheets.h"
#include "ui/FileDialog.h"
#include "ui/ChineseTranslations.h"
#include "ui/practice/AnswerGrid.h"
#include "ui/practice/PracticeCommands.h"
#include "ui/practice/PracticeStore.h"
#include "ui/practice/PracticeWindow.h"
#include "ui/practice/ProgressChart.h"
#include "ui/practice/ProgressWindow.h"
#include "ui/practice/StartDialog.h"

namespace {

struct TestClock : practice::Clock {
    std::int64_t now = 1'765'000'000'000;  // an afternoon in December 2025
    std::int64_t NowMs() const override { return now; }
};

template <class T>
T* TopLevel() {
    for (QWidget* widget : QApplication::topLevelWidgets()) {
        if (auto* found = qobject_cast<T*>(widget); found && found->isVisible()) return found;
    }
    return nullptr;
}

// How the test answers problem i of the sheet: most right, every tenth (from the fourth)
// wrong, every tenth (from the eighth) left blank.
enum class Plan { Right, Wrong, Blank };
Plan PlanFor(int i) { return i % 10 == 3 ? Plan::Wrong : i % 10 == 7 ? Plan::Blank : Plan::Right; }

}  // namespace

class PracticeWindowTest : public QObject, public WindowFixture {
    Q_OBJECT

    QTemporaryDir m_dir;
    TestClock m_clock;
    QString m_records;
    std::vector<PracticeSheet> m_sheets;
    std::vector<QMessageBox::StandardButton> m_answers;  // to the questions, in turn
    QStringList m_questions;

    // Once the start dialog is up and has given its focus, `answer` deals with it; a dialog
    // that has not come within 30 s is given up on (and the test fails on its missing window).
    void whenStartDialog(std::function<void(StartDialog*)> answer) {
        auto* poll = new QTimer(this);
        QElapsedTimer waited;
        waited.start();
        connect(poll, &QTimer::timeout, this, [poll, answer, waited] {
            if (waited.hasExpired(30000)) {
                qWarning("no start dialog within 30 s");
                poll->deleteLater();
                poll->stop();
                return;
            }
            auto* dialog = qobject_cast<StartDialog*>(QApplication::activeModalWidget());
            if (!dialog || !QApplication::focusWidget() || QApplication::focusWidget()->window() != dialog) return;
            poll->deleteLater();
            poll->stop();
            answer(dialog);
        });
        poll->start(10);
    }

    // F6 in the main window; the start dialog is answered with `child` and Enter.
    PracticeWindow* startPractice(const QString& child, int sheetDown = 0) {
        bool focused = false;
        whenStartDialog([&](StartDialog* dialog) {
            auto* name = dialog->findChild<QComboBox*>(QStringLiteral("ChildName"));
            focused = QApplication::focusWidget() == name || QApplication::focusWidget() == name->lineEdit();
            name->lineEdit()->selectAll();
            // Chinese arrives as key events carrying their text, as from an input method.
            for (const QChar c : child) {
                QTest::sendKeyEvent(QTest::Click, name->lineEdit(), Qt::Key_unknown, QString(c), Qt::NoModifier);
            }
            auto* sheet = dialog->findChild<QComboBox*>(QStringLiteral("SheetChoice"));
            sheet->setCurrentIndex(sheet->currentIndex() + sheetDown);
            QTest::keyClick(name->lineEdit(), Qt::Key_Return);
        });
        pressF6();
        if (!focused) qWarning("the name field did not have the focus");
        return focused ? activePracticeWindow() : nullptr;
    }

    static PracticeWindow* activePracticeWindow() {
        PracticeWindow* window = TopLevel<PracticeWindow>();
        if (!window) return nullptr;
        window->activateWindow();
        return QTest::qWaitFor([&] { return window->isActiveWindow(); }) ? window : nullptr;
    }

    // F6 in the main window, as the user presses it there.
    void pressF6() {
        form->activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(form.get()));
        QTest::keyClick(form.get(), Qt::Key_F6);
    }

    static QLineEdit* field(PracticeWindow* window, int i) {
        return window->findChild<QLineEdit*>(QStringLiteral("Answer_%1").arg(i + 1));
    }

    void grab(QWidget* window, const char* name) {
        window->grab().save(QStringLiteral(PELLARIN_BUILD_DIR "/%1.png").arg(QLatin1String(name)));
    }

private slots:
    void initTestCase() {
        QStandardPaths::setTestModeEnabled(true);
        QVERIFY(InstallChineseTranslations());
        QVERIFY(m_dir.isValid());
        PracticeCommands::SetClockForTests(&m_clock);
        PracticeCommands::SetDrillSeedForTests(20261209);
        MessageBox::SetAnswerHookForTests([this](const MessageBox::Shown& shown) {
            m_questions << shown.text;
            if (m_answers.empty()) return QMessageBox::Cancel;
            const auto answer = m_answers.front();
            m_answers.erase(m_answers.begin());
            return answer;
        });
    }
    void init() {
        m_records = m_dir.filePath(QStringLiteral("%1/practice.sqlite").arg(QTest::currentTestFunction()));
        PracticeStore::SetPathForTests(m_records);
        m_answers.clear();
        m_questions.clear();
        open();
        const auto run = pellarin::BuildSheets(99, 2, u"难");
        text2()->setText(QString::fromStdU16String(run.outputText));
        m_sheets = PracticeSheetsOf(text2()->text());
        QCOMPARE(m_sheets.size(), 2u);
    }
    void cleanup() {
        for (QWidget* widget : QApplication::topLevelWidgets()) {
            if (qobject_cast<PracticeWindow*>(widget) || qobject_cast<ProgressWindow*>(widget)) delete widget;
        }
        close();
    }

    void theMenuAndTheTooltipNameTheKeyAndAnEmptyBoxSaysWhatToDoFirst() {
        QVERIFY(text2()->toolTip().contains(QStringLiteral("F6")));
        auto* menuEntry = form->findChild<QAction*>(QStringLiteral("PracticeOnScreen"));
        QVERIFY(menuEntry);
        QCOMPARE(menuEntry->text(), QStringLiteral("在屏幕上练习…\tF6"));
        text2()->setText(QString());
        pressF6();
        menuEntry->trigger();
        QCOMPARE(boxes.size(), 2u);
        for (const auto& box : boxes) QVERIFY(box.text.contains(QStringLiteral("开始出题")));
        QVERIFY(!TopLevel<PracticeWindow>());
    }

    // On a 1366 x 768 laptop the sheet is taller than the window: every field typed into is
    // in sight, whether reached by Enter, Tab or the arrows. Maximised on a bigger screen the
    // type grows only as far as the height allows, and the whole sheet shows without scrolling.
    void theFieldBeingTypedIntoIsAlwaysInSight() {
        PracticeWindow* window = startPractice(QStringLiteral("王小明"));
        QVERIFY(window);
        QVERIFY(QTest::qWaitForWindowExposed(window));
        QVERIFY(window->width() <= 1366 && window->height() <= 768);
        window->resize(1366, 728);  // the screen less the task bar
        auto* scroll = window->findChild<QScrollArea*>();
        QTRY_VERIFY(scroll->verticalScrollBar()->maximum() > 0);  // the sheet scrolls here
        const auto& problems = m_sheets[0].problems;
        auto inSight = [&](QWidget* widget) {
            const QRect area(widget->mapTo(scroll->viewport(), QPoint(0, 0)), widget->size());
            return scroll->viewport()->rect().contains(area);
        };
        for (int i = 0; i < 100; ++i) {
            QTest::keyClicks(QApplication::focusWidget(), QString::number(problems[i].value));
            QVERIFY2(inSight(QApplication::focusWidget()), qPrintable(QStringLiteral("field %1").arg(i + 1)));
            QTest::keyClick(QApplication::focusWidget(), i % 2 ? Qt::Key_Tab : Qt::Key_Return);
        }
        // Enter in the last field says how to hand in.
        auto* result = window->findChild<QLabel*>(QStringLiteral("PracticeResult"));
        QVERIFY2(result->text().contains(QStringLiteral("交卷")), qPrintable(result->text()));
        // Up from the foot of the sheet (the last row's fourth field) to its top, by the arrows.
        for (int row = 0; row < 21; ++row) {
            QTest::keyClick(QApplication::focusWidget(), Qt::Key_Up);
            QVERIFY(inSight(QApplication::focusWidget()));
        }
        QCOMPARE(QApplication::focusWidget(), field(window, 3));

        window->resize(1600, 1000);
        QTRY_COMPARE(scroll->verticalScrollBar()->maximum(), 0);
        QVERIFY(field(window, 0)->font().pointSizeF() > 14);  // grown, as far as the height allows
        QVERIFY(inSight(field(window, 99)));
    }

    void theChartsRightScaleHasRoundTicks() {
        for (const auto& [highest, top] : std::vector<std::pair<double, double>>{
                 {0, 10}, {9.5, 10}, {10, 10}, {10.5, 25}, {19.2, 25}, {24, 25}, {38, 50}, {51, 100}, {510, 1000}}) {
            QCOMPARE(ProgressChart::RoundTop(highest), top);
        }
    }

    void aWholeSessionIsTypedMarkedAndDrilled() {
        PracticeWindow* window = startPractice(QStringLiteral("王小明"));
        QVERIFY(window);
        QVERIFY(QTest::qWaitForWindowExposed(window));
        window->resize(1200, 800);  // as on a parent's laptop; the test screen is smaller
        const auto& problems = m_sheets[0].problems;
        QCOMPARE(QApplication::focusWidget(), field(window, 0));
        auto* time = window->findChild<QLabel*>(QStringLiteral("PracticeTime"));
        QCOMPARE(time->text(), QStringLiteral("用时：0 秒"));

        // The clock starts at the first key, not when the window opens.
        m_clock.now += 30'000;
        const std::int64_t firstKey = m_clock.now;
        std::set<std::string> missed;
        for (int i = 0; i < 100; ++i) {
            const Plan plan = PlanFor(i);
            if (plan == Plan::Wrong) QTest::keyClicks(QApplication::focusWidget(), QString::number(problems[i].value + 1));
            if (plan == Plan::Right) QTest::keyClicks(QApplication::focusWidget(), QString::number(problems[i].value));
            if (plan != Plan::Right) missed.insert(problems[i].text);
            // Enter and Tab both move on.
            QTest::keyClick(QApplication::focusWidget(), i % 2 ? Qt::Key_Tab : Qt::Key_Return);
            if (i == 49) {
                m_clock.now = firstKey + 95'000;
                // The shown time follows the clock at its next tick.
                QTRY_COMPARE_WITH_TIMEOUT(time->text(), QStringLiteral("用时：1 分 35 秒"), 5000);
                grab(window, "pellarin-practice-session");
            }
        }
        // A fourth digit is refused; Backspace corrects; the arrows move between fields.
        field(window, 0)->setFocus();
        field(window, 0)->selectAll();
        QTest::keyClicks(field(window, 0), QStringLiteral("1234"));
        QCOMPARE(field(window, 0)->text(), QStringLiteral("123"));
        for (int k = 0; k < 3; ++k) QTest::keyClick(field(window, 0), Qt::Key_Backspace);
        QVERIFY(field(window, 0)->text().isEmpty());
        QTest::keyClicks(field(window, 0), QString::number(problems[0].value));
        QCOMPARE(field(window, 0)->text(), QString::number(problems[0].value));
        QTest::keyClick(field(window, 0), Qt::Key_Down);
        QCOMPARE(QApplication::focusWidget(), field(window, 5));
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Right);
        QCOMPARE(QApplication::focusWidget(), field(window, 6));

        m_clock.now = firstKey + 250'000;
        // 10 left blank: 否 goes back to the first of them; then handed in all the same.
        m_answers = {QMessageBox::No};
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Return, Qt::ControlModifier);
        QVERIFY(!window->session().finished());
        QCOMPARE(QApplication::focusWidget(), field(window, 7));
        m_answers = {QMessageBox::Yes};
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Return, Qt::ControlModifier);
        QCOMPARE(m_questions.size(), 2);
        QVERIFY(m_questions[0].contains(QStringLiteral("10 道题没有填")));
        QVERIFY(window->session().finished());
        QCOMPARE(window->findChild<QLabel*>(QStringLiteral("PracticeResult"))->text(),
                 QStringLiteral("得分：80/100　　用时：4 分 10 秒　　每分钟答对 19.2 题"));
        for (int i = 0; i < 100; ++i) {
            const QString style = field(window, i)->styleSheet();
            const auto* correction = window->findChild<QLabel*>(QStringLiteral("Correction_%1").arg(i + 1));
            if (PlanFor(i) == Plan::Right) {
                QVERIFY2(style.contains(QStringLiteral("#1b6e20")), qPrintable(style));
                QVERIFY(correction->text().isEmpty());
            } else {
                QVERIFY2(style.contains(QStringLiteral("#b3261e")), qPrintable(style));
                QCOMPARE(correction->text(), QString::number(problems[i].value));
                // Room for three bold digits, so a correction never runs into the next problem.
                QVERIFY(correction->fontMetrics().horizontalAdvance(QStringLiteral("100")) <= correction->contentsRect().width());
            }
            QVERIFY(field(window, i)->isReadOnly());
        }
        grab(window, "pellarin-practice-marked");

        // 打印成绩: the marked sheet with the score and the time, on one page.
        const QString marked = m_dir.filePath(QStringLiteral("marked.pdf"));
        withPreview([&] { QTest::mouseClick(window->findChild<QPushButton*>(QStringLiteral("PrintMarked")), Qt::LeftButton); },
                    [&](QPrintPreviewDialog* dialog) {
                        QCOMPARE(dialog->findChild<QPrintPreviewWidget*>()->pageCount(), 1);
                        dialog->printer()->setOutputFormat(QPrinter::PdfFormat);
                        dialog->printer()->setOutputFileName(marked);
                        dialog->findChild<QPrintPreviewWidget*>()->print();
                    });
        window->activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(window));
#ifndef Q_OS_WIN
        QProcess reader;
        reader.start(QStringLiteral("pdftotext"), {QStringLiteral("-layout"), marked, QStringLiteral("-")});
        QVERIFY(reader.waitForFinished(60000));
        const QString page = QString::fromUtf8(reader.readAllStandardOutput()).simplified().remove(QLatin1Char(' '));
        QVERIFY2(page.contains(QStringLiteral("得分：80/100")) && page.contains(QStringLiteral("用时：4分10秒")), qPrintable(page.left(300)));
        QVERIFY2(page.contains(QStringLiteral("王小明")), qPrintable(page.left(300)));
        QProcess::execute(QStringLiteral("pdftoppm"), {QStringLiteral("-png"), QStringLiteral("-r"), QStringLiteral("70"),
                                                       QStringLiteral("-singlefile"), marked,
                                                       QStringLiteral(PELLARIN_BUILD_DIR "/pellarin-practice-marked-page")});
        // Each wrong answer with its cross and the result.
        for (int i = 3; i < 100; i += 10) {
            const QString wrong = QString::fromStdString(problems[i].text) + QString::number(problems[i].value + 1) +
                                  QStringLiteral("✗") + QString::number(problems[i].value);
            QVERIFY2(page.contains(wrong), qPrintable(wrong));
        }
#endif

        // The drill: exactly the missed problems come back, each after three known ones,
        // until each has been answered right twice in a row. The first one is answered
        // wrong once, and has to come back twice more.
        auto* drillButton = window->findChild<QPushButton*>(QStringLiteral("StartDrill"));
        QVERIFY(drillButton->isEnabled());
        QTest::mouseClick(drillButton, Qt::LeftButton);
        auto* problem = window->findChild<QLabel*>(QStringLiteral("DrillProblem"));
        auto* answer = window->findChild<QLineEdit*>(QStringLiteral("DrillAnswer"));
        std::map<std::string, int> value;
        for (const auto& p : problems) value[p.text] = p.value;
        auto* bar = window->findChild<QProgressBar*>(QStringLiteral("DrillBar"));
        std::vector<int> progressed;
        std::vector<std::string> asked;
        bool slipped = false;
        for (int step = 0; step < 400 && answer->isVisible(); ++step) {
            progressed.push_back(bar->value());
            const std::string text = problem->text().toStdString();
            QVERIFY2(value.count(text), text.c_str());
            asked.push_back(text);
            const bool wrongOnce = !slipped && missed.count(text);
            slipped |= wrongOnce;
            QCOMPARE(QApplication::focusWidget(), answer);
            QTest::keyClicks(answer, QString::number(value[text] + (wrongOnce ? 1 : 0)));
            if (asked.size() == 5) grab(window, "pellarin-practice-drill");
            QTest::keyClick(answer, Qt::Key_Return);
        }
        QVERIFY(!answer->isVisible());
        QCOMPARE(problem->text(), QStringLiteral("错题都练会了！"));
        // The bar moves from the first right answer to a missed problem (the fifth prompt,
        // after the first one's slip and three known ones), not only once one is mastered.
        QCOMPARE(bar->maximum(), 2 * static_cast<int>(missed.size()));
        QCOMPARE(progressed[4], 0);
        QCOMPARE(progressed[5], 1);
        QCOMPARE(bar->value(), bar->maximum());
        std::set<std::string> drilled;
        std::vector<std::size_t> missedAt;
        for (std::size_t i = 0; i < asked.size(); ++i) {
            if (!missed.count(asked[i])) continue;
            drilled.insert(asked[i]);
            missedAt.push_back(i);
        }
        // A missed one first, then three known ones before each missed one after it.
        QVERIFY(!missedAt.empty());
        QCOMPARE(missedAt.front(), std::size_t{0});
        for (std::size_t j = 1; j < missedAt.size(); ++j) QVERIFY(missedAt[j] - missedAt[j - 1] >= 4);
        QCOMPARE(drilled, missed);
        std::map<std::string, int> times;
        for (const auto& text : asked) ++times[text];
        for (const auto& text : missed) QCOMPARE(times[text], text == asked[0] ? 3 : 2);

        // The progress window: the session, the most missed, the CSV.
        QTest::mouseClick(window->findChild<QPushButton*>(QStringLiteral("ShowProgress")), Qt::LeftButton);
        auto* progress = TopLevel<ProgressWindow>();
        QVERIFY(progress);
        QVERIFY(QTest::qWaitForWindowExposed(progress));
        auto* table = progress->findChild<QTableWidget*>(QStringLiteral("ProgressSessions"));
        QCOMPARE(table->rowCount(), 1);
        // The sheet and when it was made (the box's sheets came at the start of this test).
        QCOMPARE(table->item(0, 1)->text(), QStringLiteral("屏"));
        QVERIFY(table->item(0, 2)->text().startsWith(QStringLiteral("第 1 份 · ")));
        QVERIFY(table->item(0, 2)->text().endsWith(QStringLiteral(" 出题")));
        QCOMPARE(table->item(0, 3)->text(), QStringLiteral("80/100"));
        QCOMPARE(table->item(0, 4)->text(), QStringLiteral("4:10"));
        QCOMPARE(table->item(0, 5)->text(), QStringLiteral("19.2"));
        auto* mostMissed = progress->findChild<QListWidget*>(QStringLiteral("MostMissed"));
        QCOMPARE(mostMissed->count(), 10);
        // The slip in the drill counts: the first problem, missed on the sheet and again in
        // the drill, heads the list.
        QCOMPARE(mostMissed->item(0)->text().section(QStringLiteral("="), 0, 0).toStdString() + "=", asked[0]);
        grab(progress, "pellarin-practice-progress");

        const QString csv = m_dir.filePath(QStringLiteral("练习记录.csv"));
        FileDialog::SetAnswerForTests([&](QWidget*, const FileDialog::Asked&) { return csv; });
        QTest::mouseClick(progress->findChild<QPushButton*>(QStringLiteral("ExportCsv")), Qt::LeftButton);
        FileDialog::SetAnswerForTests(nullptr);
        QVERIFY2(boxes.back().text.contains(QDir::toNativeSeparators(csv)), qPrintable(boxes.back().text));
        QFile file(csv);
        QVERIFY(file.open(QIODevice::ReadOnly));
        QVERIFY(file.readAll().startsWith("\xEF\xBB\xBF"));
#ifndef Q_OS_WIN
        // As a spreadsheet reads it: Python's csv module, one row per session.
        QProcess python;
        python.start(QStringLiteral("/usr/bin/python3"),
                     {QStringLiteral("-c"),
                      QStringLiteral("import csv, sys\n"
                                     "rows = list(csv.DictReader(open(sys.argv[1], encoding='utf-8-sig', newline='')))\n"
                                     "print(len(rows), rows[0]['姓名'], rows[0]['方式'], rows[0]['试卷'], rows[0]['答对'], rows[0]['用时（秒）'])"),
                      csv});
        QVERIFY(python.waitForFinished());
        QCOMPARE(QString::fromUtf8(python.readAllStandardOutput()).trimmed(), QStringLiteral("1 王小明 屏 1 80 250"));
#endif
    }

    void aKeptSessionComesBackWithItsAnswersAndTime() {
        PracticeWindow* window = startPractice(QStringLiteral("李小红"), 1);
        QVERIFY(window);
        const auto& problems = m_sheets[1].problems;
        for (int i = 0; i < 5; ++i) {
            QTest::keyClicks(QApplication::focusWidget(), QString::number(problems[i].value));
            QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
        }
        m_clock.now += 42'000;
        m_answers = {QMessageBox::Yes};  // keep it
        window->close();
        QTRY_VERIFY(!TopLevel<PracticeWindow>());

        // Next time: offered first, with its answers and its 42 seconds.
        m_answers = {QMessageBox::Yes};
        pressF6();
        QVERIFY2(m_questions.last().contains(QStringLiteral("李小红 做第 2 份试卷时还没有交卷（已经答了 5 道题）")),
                 qPrintable(m_questions.last()));
        window = activePracticeWindow();
        QVERIFY(window);
        for (int i = 0; i < 5; ++i) QCOMPARE(field(window, i)->text(), QString::number(problems[i].value));
        QCOMPARE(QApplication::focusWidget(), field(window, 5));
        QCOMPARE(window->session().ElapsedMs(m_clock.now), 42'000);
        QCOMPARE(window->findChild<QLabel*>(QStringLiteral("PracticeTime"))->text(), QStringLiteral("用时：42 秒"));

        // Hidden time is still kept.
        window->findChild<QCheckBox*>(QStringLiteral("ShowTime"))->setChecked(false);
        QVERIFY(window->findChild<QLabel*>(QStringLiteral("PracticeTime"))->isHidden());
        QTest::keyClicks(QApplication::focusWidget(), QString::number(problems[5].value));
        m_clock.now += 18'000;
        m_answers = {QMessageBox::Yes};
        QTest::mouseClick(window->findChild<QPushButton*>(QStringLiteral("HandIn")), Qt::LeftButton);
        QVERIFY(window->session().finished());
        QCOMPARE(window->session().result().right, 6);
        QCOMPARE(window->session().result().elapsedMs, 60'000);
        window->findChild<QCheckBox*>(QStringLiteral("ShowTime"))->setChecked(true);
        window->close();

        // Handed in: not offered again, and the sheet counts as done for this child.
        m_answers = {};
        bool checked = false;
        whenStartDialog([&](StartDialog* dialog) {
            auto* name = dialog->findChild<QComboBox*>(QStringLiteral("ChildName"));
            auto* sheet = dialog->findChild<QComboBox*>(QStringLiteral("SheetChoice"));
            QCOMPARE(name->currentText(), QStringLiteral("李小红"));  // the names used before
            QCOMPARE(sheet->itemText(1), QStringLiteral("第 2 份（做过）"));
            QCOMPARE(sheet->currentIndex(), 0);
            checked = true;
            dialog->reject();
        });
        pressF6();
        QVERIFY(checked);
        QCOMPARE(m_questions.size(), 3);  // keep, continue, hand in with blanks: no offer this time
    }

    // 练习记录 puts mistakes right, each after a question: a session removed (and what it put
    // in the most-missed list), a name typed two ways merged, a child removed.
    void mistakesInTheRecordsArePutRight() {
        {
            PracticeStore store;
            PracticeRecords* records = store.records();
            QVERIFY(records);
            const std::vector<practice::Problem> sheet{{"45＋38=", 83}, {"52－17=", 35}};
            auto handIn = [&](const std::string& child, const std::vector<std::string>& answers, std::int64_t when) {
                const auto id = records->Begin(child, 1, "title", sheet, when, when - 3'600'000);
                practice::Session session(sheet);
                for (std::size_t i = 0; i < answers.size(); ++i) session.SetAnswer(i, answers[i], when);
                session.HandIn(when + 60'000);
                return records->Finish(id, session, when + 60'000, practice::LocalDay(when));
            };
            QVERIFY(handIn("小明", {"83", "35"}, m_clock.now));
            QVERIFY(handIn("小明", {"0", "0"}, m_clock.now + 86'400'000));  // under the wrong name
            QVERIFY(handIn("小明 ", {"83", "30"}, m_clock.now + 2 * 86'400'000));
        }
        auto* progress = new ProgressWindow(std::make_shared<PracticeStore>(), QStringLiteral("小明"), nullptr);
        progress->show();
        QVERIFY(QTest::qWaitForWindowExposed(progress));
        auto* table = progress->findChild<QTableWidget*>(QStringLiteral("ProgressSessions"));
        auto* mostMissed = progress->findChild<QListWidget*>(QStringLiteral("MostMissed"));
        auto* child = progress->findChild<QComboBox*>(QStringLiteral("ProgressChild"));
        QCOMPARE(table->rowCount(), 2);
        QVERIFY2(table->item(0, 2)->text().contains(QStringLiteral("出题")), qPrintable(table->item(0, 2)->text()));
        QCOMPARE(mostMissed->count(), 2);

        // The latest first: the 0/2 session. 否 keeps it; 是 removes it and its misses.
        table->selectRow(0);
        QCOMPARE(table->item(0, 3)->text(), QStringLiteral("0/2"));
        m_answers = {QMessageBox::No};
        QTest::mouseClick(progress->findChild<QPushButton*>(QStringLiteral("DeleteSession")), Qt::LeftButton);
        QCOMPARE(table->rowCount(), 2);
        QVERIFY2(m_questions.back().contains(QStringLiteral("0/2")), qPrintable(m_questions.back()));
        m_answers = {QMessageBox::Yes};
        QTest::mouseClick(progress->findChild<QPushButton*>(QStringLiteral("DeleteSession")), Qt::LeftButton);
        QCOMPARE(table->rowCount(), 1);
        QCOMPARE(table->item(0, 3)->text(), QStringLiteral("2/2"));
        QCOMPARE(mostMissed->count(), 0);

        // "小明 " merged into "小明": its session and its miss come along.
        child->setCurrentText(QStringLiteral("小明 "));
        QTimer answerName;
        connect(&answerName, &QTimer::timeout, this, [&] {
            auto* dialog = qobject_cast<QInputDialog*>(QApplication::activeModalWidget());
            if (!dialog) return;
            dialog->setTextValue(QStringLiteral("小明"));
            dialog->accept();
        });
        answerName.start(20);
        m_answers = {QMessageBox::Yes};
        QTest::mouseClick(progress->findChild<QPushButton*>(QStringLiteral("RenameChild")), Qt::LeftButton);
        answerName.stop();
        QVERIFY2(m_questions.back().contains(QStringLiteral("合到")), qPrintable(m_questions.back()));
        QCOMPARE(child->currentText(), QStringLiteral("小明"));
        QCOMPARE(child->findText(QStringLiteral("小明 ")), -1);
        QCOMPARE(table->rowCount(), 2);
        QCOMPARE(mostMissed->count(), 1);

        m_answers = {QMessageBox::Yes};
        QTest::mouseClick(progress->findChild<QPushButton*>(QStringLiteral("DeleteChild")), Qt::LeftButton);
        QCOMPARE(child->findText(QStringLiteral("小明")), -1);
        PracticeStore after;
        QCOMPARE(after.records()->Children().value().size(), 0u);
        delete progress;
    }

    void everyFailureNamesTheFileAndWhatToDo() {
        using F = PracticeRecords::Failure;
        using S = PracticeStore::Stage;
        for (F failure : {F::CannotOpen, F::NotRecords, F::ReadOnly, F::Busy, F::Full, F::TooNew, F::NotOurs, F::Gone,
                          F::Other}) {
            for (S stage : {S::Opening, S::Reading, S::Writing}) {
                const QString text = PracticeStore::Message(m_records, {failure, "disk I/O error"}, stage);
                QVERIFY2(text.contains(QDir::toNativeSeparators(m_records)), qPrintable(text));
                QVERIFY2(text.contains(QStringLiteral("请")), qPrintable(text));  // what to do
                QVERIFY2(text.contains(QStringLiteral("照常进行")) && text.contains(QStringLiteral("不会被保存")),
                         qPrintable(text));
            }
        }
    }

    void anUnusableRecordsFileIsNamedAndLeftAlone() {
        // Not a database: practice goes on without saving, and the file keeps every byte.
        QDir().mkpath(QFileInfo(m_records).absolutePath());
        QFile garbage(m_records);
        QVERIFY(garbage.open(QIODevice::WriteOnly));
        const QByteArray bytes = QByteArray("这不是数据库 ").repeated(300);
        garbage.write(bytes);
        garbage.close();
        PracticeWindow* window = startPractice(QStringLiteral("王小明"));
        QVERIFY(window);
        QCOMPARE(boxes.size(), 1u);
        QVERIFY2(boxes[0].text.contains(QDir::toNativeSeparators(m_records)), qPrintable(boxes[0].text));
        QVERIFY(boxes[0].text.contains(QStringLiteral("已损坏")));
        auto* notSaving = window->findChild<QLabel*>(QStringLiteral("NotSaving"));
        QVERIFY(notSaving->isVisibleTo(window));
        QVERIFY(notSaving->text().contains(QDir::toNativeSeparators(m_records)));
        QTest::keyClicks(QApplication::focusWidget(), QStringLiteral("12"));
        m_answers = {QMessageBox::Yes};
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Return, Qt::ControlModifier);
        QVERIFY(window->session().finished());
        QFile after(m_records);
        QVERIFY(after.open(QIODevice::ReadOnly));
        QCOMPARE(after.readAll(), bytes);
    }
};

QTEST_MAIN(PracticeWindowTest)
#include "PracticeWindowTest.moc"
