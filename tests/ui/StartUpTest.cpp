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
}  // namespace

class StartUpTest : public QObject {
    Q_OBJECT
private slots:
    void init() { MessageBox::SetTestHook([](const MessageBox::Shown&) { QFAIL("no box at start-up"); }); }
    void cleanup() { MessageBox::SetTestHook(nullptr); }

    // Both ways in: the program begins the start-up itself, or the first activation does.
    void splashThenMainWindowOnce_data() {
        QTest::addColumn<bool>("byActivation");
        QTest::newRow("begun by the program") << false;
        QTest::newRow("first activation") << true;
    }
    void splashThenMainWindowOnce() {
        QFETCH(bool, byActivation);
        Form1 form(SplashOptions());
        QPointer<Form2> splash = form.splash();
        QVERIFY(splash && splash->isVisible());  // shown by loading
        auto* timer = form.findChild<QTimer*>(QStringLiteral("Timer1"));
        if (byActivation) {
            form.show();
            QTRY_VERIFY(timer->isActive());
        } else {
            form.BeginStartUp();
        }
        QVERIFY(!form.isVisible());
        QCOMPARE(timer->interval(), kInterval);
        const QPoint centre = QGuiApplication::primaryScreen()->availableGeometry().center();
        QVERIFY((splash->geometry().center() - centre).manhattanLength() <= 8);

        QTRY_VERIFY_WITH_TIMEOUT(form.isVisible(), 5000);
        QTRY_VERIFY(splash.isNull());  // unloaded, not merely hidden
        QVERIFY((form.geometry().center() - centre).manhattanLength() <= 8);

        // Later intervals and activations change nothing.
        QWidget other;
        other.show();
        other.activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(&other));
        form.activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(&form));
        QTest::qWait(3 * kInterval);
        QVERIFY(form.isVisible() && !timer->isActive());
    }

    void splashLooksAndIsInert() {
        Form1 form(SplashOptions());
        Form2* splash = form.splash();
        QVERIFY(QTest::qWaitForWindowExposed(splash));
        QCOMPARE(splash->size(), QSize(162, 353));
        QVERIFY(splash->windowFlags() & Qt::FramelessWindowHint);
        QCOMPARE(splash->windowType(), Qt::SplashScreen);  // no taskbar entry, no title shown
        QCOMPARE(splash->findChild<QLabel*>(QStringLiteral("Label2_1"))->text(),
                 QStringLiteral("欢迎使用,禁止用于商业用途"));
        QCOMPARE(splash->findChild<QLabel*>(QStringLiteral("Label2_1"))->pos(), QPoint(8, 336));
        // The picture is drawn unscaled from the top left; its last two columns are cut off.
        const QImage shot = splash->grab().toImage();
        const QImage picture(QStringLiteral(":/pictures/splash.png"));
        QCOMPARE(picture.size(), QSize(164, 314));
        QCOMPARE(shot.pixel(161, 300), picture.pixel(161, 300));

        form.BeginStartUp();
        QTest::mouseClick(splash->windowHandle(), Qt::LeftButton, {}, QPoint(80, 100));
        QTest::keyClick(splash, Qt::Key_Escape);
        QVERIFY(splash->isVisible() && !form.isVisible());
        QTRY_VERIFY_WITH_TIMEOUT(form.isVisible(), 5000);
    }
};

QTEST_MAIN(StartUpTest)
#include "StartUpTest.moc"
