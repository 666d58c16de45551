// Start-up: the splash window, then the main window when the timer fires, once.
#include <QLabel>
#include <QScreen>
#include <QTimer>

#include "WindowFixture.h"
#include "ui/Form2.h"

namespace {
constexpr int kInterval = 150;  // the program uses 2000 ms

Form1::Options SplashOptions() {
    Form1::Options options;
    options.splashIntervalMs = kInterval;
    return options;
}

QPoint ScreenCentre() { return QGuiApplication::primaryScreen()->availableGeometry().center(); }
}  // namespace

class StartUpTest : public QObject {
    Q_OBJECT
private slots:
    void init() { MessageBox::SetTestHook([](const MessageBox::Shown&) { QFAIL("no box at start-up"); }); }
    void cleanup() { MessageBox::SetTestHook(nullptr); }

    void splashThenMainWindowOnce() {
        Form1 form(SplashOptions());
        QPointer<Form2> splash = form.splash();
        QVERIFY(splash);
        QVERIFY(splash->isVisible());  // shown by loading, before the main window
        form.BeginStartUp();
        auto* timer = form.findChild<QTimer*>(QStringLiteral("Timer1"));
        QVERIFY(timer->isActive());
        QCOMPARE(timer->interval(), kInterval);
        QVERIFY(!form.isVisible());
        QVERIFY(splash->isVisible());
        QVERIFY(qAbs(splash->geometry().center().x() - ScreenCentre().x()) <= 1);

        QTRY_VERIFY_WITH_TIMEOUT(form.isVisible(), 5000);
        QTRY_VERIFY(splash.isNull());  // unloaded, not merely hidden
        QVERIFY(!timer->isActive());
        QVERIFY2((form.geometry().center() - ScreenCentre()).manhattanLength() <= 8, qPrintable(QStringLiteral("%1,%2 %3,%4").arg(form.geometry().center().x()).arg(form.geometry().center().y()).arg(ScreenCentre().x()).arg(ScreenCentre().y())));

        // Later intervals and activations change nothing.
        QTest::qWait(3 * kInterval);
        QVERIFY(form.isVisible());
        QVERIFY(!timer->isActive());
        form.activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(&form));
        QWidget other;
        other.show();
        other.activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(&other));
        form.activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(&form));
        QVERIFY(form.isVisible());
        QVERIFY(!timer->isActive());
        QVERIFY(form.splash() == nullptr);
    }

    // Shown straight away, the first activation hides the main window and starts the timer.
    void firstActivationHidesAndStartsTheTimer() {
        Form1 form(SplashOptions());
        QPointer<Form2> splash = form.splash();
        form.show();
        QTRY_VERIFY(!form.isVisible());
        QVERIFY(form.findChild<QTimer*>(QStringLiteral("Timer1"))->isActive());
        QVERIFY(splash && splash->isVisible());
        QTRY_VERIFY_WITH_TIMEOUT(form.isVisible(), 5000);
        QTRY_VERIFY(splash.isNull());
        QTest::qWait(3 * kInterval);
        QVERIFY(form.isVisible());
    }

    void splashLooksAndIsInert() {
        Form1 form(SplashOptions());
        Form2* splash = form.splash();
        QVERIFY(QTest::qWaitForWindowExposed(splash));
        QCOMPARE(splash->size(), QSize(162, 353));
        QVERIFY(splash->windowFlags() & Qt::FramelessWindowHint);
        auto* notice = splash->findChild<QLabel*>(QStringLiteral("Label2_0"));
        auto* welcome = splash->findChild<QLabel*>(QStringLiteral("Label2_1"));
        QVERIFY(notice && !notice->text().isEmpty());
        QCOMPARE(welcome->text(), QStringLiteral("欢迎使用,禁止用于商业用途"));
        QCOMPARE(notice->pos(), QPoint(8, 320));
        QCOMPARE(welcome->pos(), QPoint(8, 336));
        // The picture is drawn unscaled from the top left; its last two columns are cut off.
        const QImage shot = splash->grab().toImage();
        const QImage picture(QStringLiteral(":/pictures/splash.png"));
        QCOMPARE(picture.size(), QSize(164, 314));
        QCOMPARE(shot.pixel(10, 10), picture.pixel(10, 10));
        QCOMPARE(shot.pixel(161, 300), picture.pixel(161, 300));

        form.BeginStartUp();
        QTest::mouseClick(splash->windowHandle(), Qt::LeftButton, {}, QPoint(80, 100));
        QTest::keyClick(splash, Qt::Key_Escape);
        QTest::keyClick(splash, Qt::Key_Return);
        QVERIFY(splash->isVisible());
        QVERIFY(!form.isVisible());
        QTRY_VERIFY_WITH_TIMEOUT(form.isVisible(), 5000);
    }

    void programUsesTwoSeconds() {
        Form1 form;  // the program's own options
        form.BeginStartUp();
        QCOMPARE(form.findChild<QTimer*>(QStringLiteral("Timer1"))->interval(), 2000);
    }
};

QTEST_MAIN(StartUpTest)
#include "StartUpTest.moc"
