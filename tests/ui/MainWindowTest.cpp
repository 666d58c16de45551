// The main window as it opens: controls, places, looks and initial values.
#include <QFontInfo>
#include <QFontMetricsF>
#include <QImageReader>
#include <QClipboard>
#include <QTextBlock>
#include <QTextLayout>

#include "WindowFixture.h"

class MainWindowTest : public QObject, public WindowFixture {
    Q_OBJECT
private slots:
    void init() { open(); }
    void cleanup() { close(); }

    void opensWithItsLookAndValues() {
        QCOMPARE(form->windowTitle(), QStringLiteral("Pellarin"));
        QCOMPARE(form->size(), QSize(666, 329));  // 9990 x 4935 twips at 96 dpi
        QCOMPARE(form->minimumSize(), form->maximumSize());
        QVERIFY(!(form->windowFlags() & (Qt::WindowMaximizeButtonHint | Qt::WindowMinimizeButtonHint)));
        QCOMPARE(form->palette().color(QPalette::Window), QColor(128, 128, 255));
        QCOMPARE(text1(0)->text(), QStringLiteral("99"));
        QCOMPARE(text1(2)->text(), QStringLiteral("40"));
        QCOMPARE(combo()->currentText(), QStringLiteral("中"));
        QStringList items;
        for (int i = 0; i < combo()->count(); ++i) items << combo()->itemText(i);
        QCOMPARE(items, (QStringList{QStringLiteral("难"), QStringLiteral("中"), QStringLiteral("易")}));
        QVERIFY(text2()->text().isEmpty());
        QCOMPARE(label(10)->text(), QStringLiteral("0"));
        QVERIFY(label(12)->text().isEmpty());
        QVERIFY(!face(5)->isEnabled() && !label(5)->isEnabled());
        QCOMPARE(QApplication::focusWidget(), text1(0));
        QVERIFY(boxes.empty());  // loading warns about nothing
    }

    void controlsStandAtTheirTwips_data() {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QRect>("twips");
        QTest::addRow("face 0") << "Image_KongZhi_0" << QRect(240, 120, 3360, 450);
        QTest::addRow("face 8") << "Image_KongZhi_8" << QRect(240, 3960, 3915, 450);
        QTest::addRow("caption 3") << "Label1_3" << QRect(750, 1680, 2775, 255);
        QTest::addRow("status") << "Label1_12" << QRect(7440, 165, 2535, 255);
        QTest::addRow("Combo1") << "Combo1" << QRect(3600, 600, 615, 420);
        QTest::addRow("Text2") << "Text2" << QRect(4560, 480, 5175, 4335);
        QTest::addRow("Image3") << "Image3" << QRect(240, 4440, 3915, 735);
    }
    void controlsStandAtTheirTwips() {
        QFETCH(QString, name);
        QFETCH(QRect, twips);
        const auto px = [](int t) { return qRound(t / 15.0); };
        QCOMPARE(find<QWidget>(name)->geometry(), QRect(px(twips.x()), px(twips.y()), px(twips.width()), px(twips.height())));
    }

    // The font that answers must draw ASCII at half the width of a Chinese character, or
    // the sheets' columns would not line up on screen.
    void fontDrawsAsciiAtHalfWidth() {
        QFont unhinted = text2()->font();
        unhinted.setHintingPreference(QFont::PreferNoHinting);
        const QFontMetricsF metrics(unhinted);
        const qreal ascii = metrics.horizontalAdvance(QStringLiteral("8=+ 1"));
        const qreal chinese = metrics.horizontalAdvance(QStringLiteral("题口算"));
        QVERIFY2(qAbs(ascii * 3 / 5 * 2 - chinese) < chinese * 0.03, qPrintable(QFontInfo(unhinted).family()));
    }

    // The pictures as compiled in, read back by Qt's own image readers.
    void picturesHaveTheirSizes() {
        QCOMPARE(QImage(QStringLiteral(":/pictures/face-normal.png")).size(), QSize(128, 28));
        QCOMPARE(QImage(QStringLiteral(":/pictures/face-highlighted.png")).size(), QSize(128, 28));
        QCOMPARE(QImage(QStringLiteral(":/pictures/decoration.png")).size(), QSize(261, 49));
        QImageReader ico(QStringLiteral(":/pictures/pellarin.ico"));
        QCOMPARE(ico.imageCount(), 9);
        const int sizes[] = {16, 48, 32, 16, 64, 48, 32, 24, 16};
        for (int i = 0; i < 9; ++i) {
            QVERIFY(ico.jumpToImage(i));
            QCOMPARE(ico.read().size(), QSize(sizes[i], sizes[i]));
        }
    }

    // The window's icon is the icon resource: of its nine images, for each size the one of
    // most colours, which in the file comes last of its size.
    void windowIconComesFromAllNineImages() {
        QImageReader ico(QStringLiteral(":/pictures/pellarin.ico"));
        QMap<int, QImage> best;
        for (int i = 0; i < ico.imageCount(); ++i) {
            QVERIFY(ico.jumpToImage(i));
            const QImage image = ico.read();
            best[image.width()] = image;
        }
        const QIcon icon = form->windowIcon();
        QCOMPARE(icon.availableSizes().size(), best.size());
        for (auto it = best.cbegin(); it != best.cend(); ++it) {
            const QImage shown = icon.pixmap(QSize(it.key(), it.key())).toImage().convertToFormat(QImage::Format_ARGB32);
            QCOMPARE(shown, it.value().convertToFormat(QImage::Format_ARGB32));
        }
    }

    void focusOrderAndStacking() {
        for (QWidget* next : {static_cast<QWidget*>(text1(2)), static_cast<QWidget*>(text2())}) {
            key(Qt::Key_Tab);
            QCOMPARE(QApplication::focusWidget(), next);
        }
        key(Qt::Key_Tab);
        QCOMPARE(QApplication::focusWidget(), combo());
        // Captions lie above their faces, the boxes above everything.
        QCOMPARE(form->childAt(at(label(4))), label(4));
        QCOMPARE(form->childAt(at(face(4), faceOnly(4))), face(4));
        QCOMPARE(form->childAt(at(text1(0))), text1(0));
    }

    // The box gives its text back as it holds it: breaks as CR LF, no-break spaces and line
    // separators (pasted from elsewhere) as they are.
    void outputBoxKeepsCrLfAndSpaces() {
        const QString text = QStringLiteral("ab  \r\n\r\ncd\u00a0\u2028e ") + QString(300, QLatin1Char('x')) +
                             QStringLiteral("  ");
        text2()->setText(text);
        QCOMPARE(text2()->text(), text);
    }

    // A picture of the window for anyone to look at: build/pellarin-window.png.
    // A pasted run with nowhere to break it (a file of digits) is cut anywhere, so that laying
    // it out stays linear; deleting it brings word wrapping back, and the text is kept exactly.
    void longUnbreakableRunsAreCutAnywhere() {
        const QString digits = QString(20000, QLatin1Char('7'));
        QGuiApplication::clipboard()->setText(QStringLiteral("12＋3= ") + digits);
        text2()->setFocus();
        QCOMPARE(text2()->wordWrapMode(), QTextOption::WrapAtWordBoundaryOrAnywhere);
        key(Qt::Key_V, Qt::ControlModifier);
        QCOMPARE(text2()->text(), QStringLiteral("12＋3= ") + digits);
        QCOMPARE(text2()->wordWrapMode(), QTextOption::WrapAnywhere);
        QVERIFY(text2()->document()->firstBlock().layout()->lineCount() > 100);
        key(Qt::Key_Z, Qt::ControlModifier);  // undone: the box is empty again
        QTRY_COMPARE(text2()->wordWrapMode(), QTextOption::WrapAtWordBoundaryOrAnywhere);
        clickFace(4);  // a run's sheets always wrap at words
        QCOMPARE(text2()->wordWrapMode(), QTextOption::WrapAtWordBoundaryOrAnywhere);
    }

    void screenshot() {
        clickFace(4);
        moveOver(face(4), faceOnly(4));
        QVERIFY(form->grab().save(QStringLiteral(PELLARIN_BUILD_DIR "/pellarin-window.png")));
    }
};

QTEST_MAIN(MainWindowTest)
#include "MainWindowTest.moc"
