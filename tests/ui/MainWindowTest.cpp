// The main window as it opens: controls, places, looks and initial values.
#include <QFontInfo>
#include <QFontMetricsF>
#include <QImageReader>
#include <QScrollBar>

#include "WindowFixture.h"

class MainWindowTest : public QObject, public WindowFixture {
    Q_OBJECT
private slots:
    void init() { open(); }
    void cleanup() { close(); }

    void windowLooksAsLaidOut() {
        QCOMPARE(form->windowTitle(), QStringLiteral("Pellarin"));
        QCOMPARE(form->size(), QSize(666, 329));  // 9990 x 4935 twips at 96 dpi
        QCOMPARE(form->minimumSize(), form->maximumSize());
        const Qt::WindowFlags flags = form->windowFlags();
        QVERIFY(!(flags & Qt::WindowMaximizeButtonHint));
        QVERIFY(!(flags & Qt::WindowMinimizeButtonHint));
        QVERIFY(flags & Qt::WindowCloseButtonHint);
        QCOMPARE(form->palette().color(QPalette::Window), QColor(128, 128, 255));
        QVERIFY(!form->windowIcon().isNull());
        QCOMPARE(form->windowIcon().availableSizes().size(), 5);
    }

    // The pictures as compiled in, read back by Qt's own image readers.
    void picturesHaveTheirSizes() {
        QCOMPARE(QImage(QStringLiteral(":/pictures/face-normal.png")).size(), QSize(128, 28));
        QCOMPARE(QImage(QStringLiteral(":/pictures/face-highlighted.png")).size(), QSize(128, 28));
        QCOMPARE(QImage(QStringLiteral(":/pictures/decoration.png")).size(), QSize(261, 49));
        QCOMPARE(QImage(QStringLiteral(":/pictures/splash.png")).size(), QSize(164, 314));
        // Both faces are vertical gradients: one colour across a row, changing down a column.
        const QImage normal(QStringLiteral(":/pictures/face-normal.png"));
        const QImage bright(QStringLiteral(":/pictures/face-highlighted.png"));
        QCOMPARE(normal.pixel(0, 5), normal.pixel(127, 5));
        QVERIFY(normal.pixel(0, 0) != normal.pixel(0, 14));
        for (int y : {0, 14, 27}) QVERIFY(QColor(bright.pixel(0, y)).lightness() > QColor(normal.pixel(0, y)).lightness());
        QImageReader ico(QStringLiteral(":/pictures/pellarin.ico"));
        QCOMPARE(ico.imageCount(), 9);
        const QList<QPair<int, int>> expected = {{16, 4}, {48, 8}, {32, 8}, {16, 8}, {64, 32},
                                                 {48, 32}, {32, 24}, {24, 32}, {16, 32}};
        for (int i = 0; i < 9; ++i) {
            QVERIFY(ico.jumpToImage(i));
            const QImage image = ico.read();
            QCOMPARE(image.size(), QSize(expected[i].first, expected[i].first));
        }
    }

    void controlsStandAtTheirTwips_data() {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QRect>("twips");
        for (int i = 0; i < 9; ++i) {
            QTest::addRow("face %d", i) << QStringLiteral("Image_KongZhi_%1").arg(i)
                                        << QRect(240, 120 + 480 * i, i <= 2 ? 3360 : 3915, 450);
        }
        const QRect labels[13] = {{840, 240, 2895, 255},  {840, 720, 2895, 255},   {840, 1200, 2775, 255},
                                  {750, 1680, 2775, 255}, {840, 2160, 2775, 255},  {840, 2640, 2775, 255},
                                  {840, 3120, 2775, 255}, {840, 3600, 2775, 255},  {1320, 4080, 2055, 255},
                                  {4920, 120, 1335, 375}, {6120, 120, 615, 375},   {6720, 120, 495, 375},
                                  {7440, 165, 2535, 255}};
        for (int i = 0; i < 13; ++i) QTest::addRow("label %d", i) << QStringLiteral("Label1_%1").arg(i) << labels[i];
        QTest::addRow("Text1_0") << "Text1_0" << QRect(3600, 120, 575, 435);
        QTest::addRow("Combo1") << "Combo1" << QRect(3600, 600, 615, 420);
        QTest::addRow("Text1_2") << "Text1_2" << QRect(3600, 1080, 575, 435);
        QTest::addRow("Text2") << "Text2" << QRect(4560, 480, 5175, 4335);
        QTest::addRow("Image3") << "Image3" << QRect(240, 4440, 3915, 735);
    }
    void controlsStandAtTheirTwips() {
        QFETCH(QString, name);
        QFETCH(QRect, twips);
        QWidget* w = find<QWidget>(name);
        const auto px = [](int t) { return qRound(t / 15.0); };
        QCOMPARE(w->geometry(), QRect(px(twips.x()), px(twips.y()), px(twips.width()), px(twips.height())));
    }

    void captionsFontsAndColours() {
        const char16_t* captions[] = {u"多少以内的加减法？", u"难   易   程   度", u"试   卷   份   数",
                                      u"需要帮助请点击这里", u"开   始   出   题", u"生   成   试   卷",
                                      u"清   除   内   容", u"将题复制至:剪贴板", u"退      出",
                                      u"已出试卷", u"0", u"份", u""};
        for (int i = 0; i < 13; ++i) QCOMPARE(label(i)->text(), QString::fromUtf16(captions[i]));
        for (int i = 0; i < 13; ++i) {
            const double expected = i == 10 ? 15.75 : i == 12 ? 10.5 : 14.25;
            QCOMPARE(label(i)->font().pointSizeF(), expected);
            QCOMPARE(label(i)->font().families().value(0), QStringLiteral("SimSun"));
            QVERIFY(!label(i)->font().bold());
            QVERIFY(!label(i)->autoFillBackground());
        }
        QCOMPARE(label(3)->textColor(), QColor(128, 255, 128));
        QCOMPARE(label(10)->textColor(), QColor(0, 255, 0));
        QCOMPARE(label(12)->textColor(), QColor(0, 255, 0));
        QCOMPARE(text1(0)->font().pointSizeF(), 15.75);
        QCOMPARE(combo()->font().pointSizeF(), 15.0);
        QCOMPARE(combo()->lineEdit()->palette().color(QPalette::Text), QColor(255, 0, 0));
        // The font that answers must draw ASCII at half the width of a Chinese character,
        // or the sheets' columns would not line up on screen.
        QFont unhinted = text1(0)->font();
        unhinted.setHintingPreference(QFont::PreferNoHinting);
        const QFontMetricsF metrics(unhinted);
        const qreal ascii = metrics.horizontalAdvance(QStringLiteral("8=+ 1"));
        const qreal chinese = metrics.horizontalAdvance(QStringLiteral("题口算"));
        QVERIFY2(qAbs(ascii * 3 / 5 * 2 - chinese) < chinese * 0.03,
                 qPrintable(QStringLiteral("%1 %2 %3").arg(QFontInfo(unhinted).family()).arg(ascii).arg(chinese)));
    }

    void initialValuesAndFocus() {
        QCOMPARE(text1(0)->text(), QStringLiteral("99"));
        QCOMPARE(text1(2)->text(), QStringLiteral("40"));
        QCOMPARE(combo()->currentText(), QStringLiteral("中"));
        QCOMPARE(combo()->count(), 3);
        QCOMPARE(combo()->itemText(0), QStringLiteral("难"));
        QCOMPARE(combo()->itemText(1), QStringLiteral("中"));
        QCOMPARE(combo()->itemText(2), QStringLiteral("易"));
        QVERIFY(text2()->text().isEmpty());
        QVERIFY(!face(5)->isEnabled());
        QVERIFY(!label(5)->isEnabled());
        for (int i : {3, 4, 6, 7, 8}) QVERIFY(face(i)->isEnabled() && label(i)->isEnabled());
        QCOMPARE(QApplication::focusWidget(), text1(0));
        QVERIFY(boxes.empty());  // loading warns about nothing
        // A disabled caption is drawn greyed.
        QVERIFY(label(5)->palette().color(QPalette::Disabled, QPalette::WindowText) !=
                label(4)->palette().color(QPalette::Active, QPalette::WindowText));
    }

    void focusOrderAndStacking() {
        QCOMPARE(QApplication::focusWidget(), text1(0));
        key(Qt::Key_Tab);
        QCOMPARE(QApplication::focusWidget(), text1(2));
        key(Qt::Key_Tab);
        QCOMPARE(QApplication::focusWidget(), text2());
        key(Qt::Key_Tab);
        QVERIFY(QApplication::focusWidget() == combo() || QApplication::focusWidget() == combo()->lineEdit());
        for (int i = 0; i < 9; ++i) QCOMPARE(face(i)->focusPolicy(), Qt::NoFocus);
        // Captions lie above their faces, the boxes above everything.
        QCOMPARE(form->childAt(at(label(4))), label(4));
        QCOMPARE(form->childAt(at(face(4), faceOnly(4))), face(4));
        QVERIFY(form->childAt(at(text1(0))) == text1(0));
    }

    void choosingFromTheListPutsItsText() {
        combo()->setCurrentIndex(0);
        QCOMPARE(combo()->currentText(), QStringLiteral("难"));
        QVERIFY(boxes.empty());
    }

    void outputBoxWrapsScrollsAndKeepsCrLf() {
        QCOMPARE(text2()->verticalScrollBarPolicy(), Qt::ScrollBarAlwaysOn);
        QCOMPARE(text2()->horizontalScrollBarPolicy(), Qt::ScrollBarAlwaysOff);
        QCOMPARE(text2()->lineWrapMode(), QPlainTextEdit::WidgetWidth);
        QVERIFY(!text2()->isReadOnly());
        const QString text = QStringLiteral("ab  \r\n\r\ncd ") + QString(300, QLatin1Char('x')) + QStringLiteral("  ");
        text2()->setText(text);
        QCOMPARE(text2()->text(), text);
        QString many;
        for (int i = 0; i < 200; ++i) many += QStringLiteral("line\r\n");
        text2()->setText(many);
        QVERIFY(text2()->verticalScrollBar()->maximum() > 0);
    }

    // A picture of the window for anyone to look at: build/pellarin-window.png.
    void screenshot() {
        clickFace(4);
        moveOver(face(4), faceOnly(4));
        const QString path = QStringLiteral(PELLARIN_BUILD_DIR "/pellarin-window.png");
        QVERIFY(form->grab().save(path));
        QVERIFY(QFileInfo(path).size() > 1000);
    }
};

QTEST_MAIN(MainWindowTest)
#include "MainWindowTest.moc"
