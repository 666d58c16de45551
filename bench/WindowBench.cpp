// From the click on the start button to the sheets shown in the output box, on the real
// window (offscreen platform). Run with `make bench`.
#include <benchmark/benchmark.h>

#include <QApplication>
#include <QComboBox>
#include <QTest>

#include "ui/Form1.h"
#include "ui/NumericBox.h"
#include "ui/OutputBox.h"
#include "ui/PictureFace.h"

namespace {

void BM_ClickToShownText(benchmark::State& state) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    int argc = 1;
    char name[] = "pellarin_window_bench";
    char* argv[] = {name, nullptr};
    QApplication app(argc, argv);
    Form1::Options options;
    options.showSplash = false;
    Form1 form(options);
    form.show();
    if (!QTest::qWaitForWindowExposed(&form)) state.SkipWithError("window not shown");
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

}  // namespace
