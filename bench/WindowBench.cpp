// From the click on the start button to the sheets shown in the output box, on the real
// window (offscreen platform). Run with `make bench`.
#include <benchmark/benchmark.h>

#include <QApplication>
#include <QClipboard>
#include <QComboBox>
#include <QTest>
#include <memory>

#include "ui/Form1.h"
#include "ui/NumericBox.h"
#include "ui/OutputBox.h"
#include "ui/PictureFace.h"

namespace {

// One application for every benchmark of the process.
QApplication& Application() {
    static int argc = 1;
    static char name[] = "pellarin_window_bench";
    static char* argv[] = {name, nullptr};
    qputenv("QT_QPA_PLATFORM", "offscreen");
    static QApplication app(argc, argv);
    return app;
}

// The main window as the user meets it after the splash.
std::unique_ptr<Form1> ShownWindow(benchmark::State& state) {
    Application();
    Form1::Options options;
    options.showSplash = false;
    auto form = std::make_unique<Form1>(options);
    form->show();
    if (!QTest::qWaitForWindowExposed(form.get())) state.SkipWithError("window not shown");
    return form;
}

void BM_ClickToShownText(benchmark::State& state) {
    const std::unique_ptr<Form1> shown = ShownWindow(state);
    Form1& form = *shown;
    const char16_t* difficulties[] = {u"难", u"中", u"易"};
    form.findChild<QComboBox*>(QStringLiteral("Combo1"))->setEditText(QString::fromUtf16(difficulties[state.range(0)]));
    form.findChild<NumericBox*>(QStringLiteral("Text1_2"))->setText(QStringLiteral("60"));
    auto* face = form.findChild<PictureFace*>(QStringLiteral("Image_KongZhi_4"));
    auto* output = form.findChild<OutputBox*>(QStringLiteral("Text2"));
    const QPoint point = face->mapTo(&form, QPoint(4, face->height() / 2));
    for (auto _ : state) {
        QTest::mouseClick(form.windowHandle(), Qt::LeftButton, {}, point);
        output->repaint();  // laid out and drawn, as the user sees it
        QApplication::processEvents();
    }
    if (!output->toPlainText().contains(QChar(u'题'))) state.SkipWithError("no sheets shown");
}
BENCHMARK(BM_ClickToShownText)->DenseRange(0, 2)->ArgName("difficulty")->Unit(benchmark::kMillisecond);

// A long line pasted into the output box with Ctrl+V, until it is laid out and drawn: a whole
// file's text without line breaks, of the given size in kilobytes.
void BM_PasteOneLongLine(benchmark::State& state) {
    const std::unique_ptr<Form1> form = ShownWindow(state);
    auto* output = form->findChild<OutputBox*>(QStringLiteral("Text2"));
    // Words and problems with spaces, digits without any, Chinese without any.
    const QString pieces[] = {QStringLiteral("37＋45= 题目 abc "), QStringLiteral("1234567890"), QStringLiteral("口算题练习")};
    QString line;
    while (line.size() < state.range(0) * 1024) line += pieces[state.range(1)];
    QGuiApplication::clipboard()->setText(line);
    for (auto _ : state) {
        output->setText(QString());
        output->setFocus();
        QTest::keyClick(output, Qt::Key_V, Qt::ControlModifier);
        output->repaint();
        QApplication::processEvents();
    }
    if (output->toPlainText().size() != line.size()) state.SkipWithError("the paste did not arrive whole");
}
BENCHMARK(BM_PasteOneLongLine)
    ->ArgsProduct({{64, 1024}, {0, 1, 2}})
    ->ArgNames({"KiB", "kind"})
    ->Unit(benchmark::kMillisecond)
    ->Iterations(1);

}  // namespace
