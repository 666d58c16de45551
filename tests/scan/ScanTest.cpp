// Reading scans: the corner squares found and the page straightened, boxes read, verdicts, and
// the recogniser's accuracy on handwriting it never saw.
#include <gtest/gtest.h>

#include <cmath>
#include <fstream>
#include <random>

#include "marking/PaperLayout.h"
#include "scan/DigitNet.h"
#include "scan/ReadPage.h"
#include "scan/Registration.h"

namespace paper = marking::paper;
using scan::GreyImage;
using scan::Point;

namespace {

// A page drawn straight into a picture through `map` (page mm to picture pixels): its four
// corner squares and the frames of its answer boxes, on paper of the given light.
GreyImage Page(const scan::Homography& pageToPicture, int width, int height, bool withSquares = true) {
    GreyImage picture(width, height, 235);
    // Each pixel of the picture, taken back to the page through the inverse map, found by
    // solving for it (the test's own arithmetic, not the reader's).
    const auto inverse = scan::Homography::Between(
        {pageToPicture.Map(paper::kSquareCentres[0]), pageToPicture.Map(paper::kSquareCentres[1]),
         pageToPicture.Map(paper::kSquareCentres[2]), pageToPicture.Map(paper::kSquareCentres[3])},
        paper::kSquareCentres);
    for (int y = 0; y < height; ++y) {
        for (int x = 0; x < width; ++x) {
            const Point p = inverse->Map({x + 0.5, y + 0.5});
            bool dark = false;
            for (int c = 0; c < 4 && withSquares; ++c) {
                dark = dark || (std::abs(p.x - paper::kSquareCentres[c].x) < paper::kSquare / 2 &&
                                std::abs(p.y - paper::kSquareCentres[c].y) < paper::kSquare / 2);
            }
            if (dark) picture.at(x, y) = 20;
        }
    }
    return picture;
}

scan::Homography Scale(double pixelsPerMm, double angle = 0, Point shift = {60, 40}) {
    std::array<Point, 4> to;
    for (int i = 0; i < 4; ++i) {
        const Point c = paper::kSquareCentres[i];
        const double x = c.x * pixelsPerMm, y = c.y * pixelsPerMm;
        to[i] = {shift.x + x * std::cos(angle) - y * std::sin(angle), shift.y + x * std::sin(angle) + y * std::cos(angle)};
    }
    return *scan::Homography::Between(paper::kSquareCentres, to);
}

}  // namespace

TEST(Registration, AMapTakesEachPointWhereItWasToGo) {
    const std::array<Point, 4> from{{{0, 0}, {10, 0}, {10, 20}, {0, 20}}};
    const std::array<Point, 4> to{{{5, 7}, {33, 2}, {40, 61}, {1, 50}}};
    const auto map = scan::Homography::Between(from, to);
    ASSERT_TRUE(map);
    for (int i = 0; i < 4; ++i) {
        EXPECT_NEAR(map->Map(from[i]).x, to[i].x, 1e-9);
        EXPECT_NEAR(map->Map(from[i]).y, to[i].y, 1e-9);
    }
    // Three in a line give no map.
    EXPECT_FALSE(scan::Homography::Between({{{0, 0}, {1, 1}, {2, 2}, {0, 5}}}, to));
}

// The squares of a page turned by a few degrees, or half round, at 150 dpi: found within a
// third of a millimetre, and the two maps they allow are the page upright and turned round.
TEST(Registration, FindsTheSquaresOfATurnedPage) {
    for (const double degrees : {0.0, 3.5, -4.0, 180.0}) {
        const double angle = degrees * 3.14159265358979 / 180;
        const double scale = 150 / 25.4;
        const Point shift = degrees == 180 ? Point{1300, 1800} : Point{60, 40};
        const scan::Homography truth = Scale(scale, angle, shift);
        const GreyImage picture = Page(truth, 1380, 1900);
        const auto found = scan::FindSquares(picture);
        ASSERT_TRUE(std::holds_alternative<scan::Squares>(found)) << degrees << ": " << std::get<std::string>(found);
        const auto maps = scan::PageMaps(std::get<scan::Squares>(found));
        // One of the two maps is the true one: every square's centre where it should be.
        bool matched = false;
        for (const auto& map : maps) {
            ASSERT_TRUE(map);
            double worst = 0;
            for (const Point c : paper::kSquareCentres) {
                const Point a = map->Map(c), b = truth.Map(c);
                worst = std::max(worst, std::hypot(a.x - b.x, a.y - b.y));
            }
            matched = matched || worst < scale / 3;
        }
        EXPECT_TRUE(matched) << degrees;
    }
}

TEST(Registration, APageWithoutItsSquaresIsSaidSo) {
    const GreyImage blank(1240, 1754, 240);
    const auto found = scan::FindSquares(blank);
    ASSERT_TRUE(std::holds_alternative<std::string>(found));
    EXPECT_NE(std::get<std::string>(found).find("黑色方块"), std::string::npos);
    // Three squares: a corner cut off.
    GreyImage three = Page(Scale(150 / 25.4), 1380, 1900);
    for (int y = three.height - 200; y < three.height; ++y) {
        for (int x = 0; x < 300; ++x) three.at(x, y) = 235;
    }
    EXPECT_TRUE(std::holds_alternative<std::string>(scan::FindSquares(three)));
    EXPECT_TRUE(std::holds_alternative<std::string>(scan::FindSquares(GreyImage(50, 50))));
}

namespace {

// A straightened page with one answer box, its frame light grey, and what `write` puts in it.
GreyImage BoxPage(int index, const std::function<void(GreyImage&, int x, int y, int w, int h)>& write, Point shift = {}) {
    const double s = scan::kPixelsPerMm;
    GreyImage page(static_cast<int>(paper::kPageWidth * s), static_cast<int>(paper::kPageHeight * s), 245);
    const paper::Rect box = paper::AnswerBox(index);
    const int x0 = static_cast<int>((box.x + shift.x) * s), y0 = static_cast<int>((box.y + shift.y) * s);
    const int w = static_cast<int>(box.width * s), h = static_cast<int>(box.height * s);
    for (int i = -1; i <= 1; ++i) {
        for (int x = x0; x <= x0 + w; ++x) page.at(x, y0 + i) = page.at(x, y0 + h + i) = 150;
        for (int y = y0; y <= y0 + h; ++y) page.at(x0 + i, y) = page.at(x0 + w + i, y) = 150;
    }
    write(page, x0, y0, w, h);
    return page;
}

void Bar(GreyImage& page, int x0, int y0, int x1, int y1) {
    for (int y = y0; y <= y1; ++y) {
        for (int x = x0; x <= x1; ++x) page.at(x, y) = 30;
    }
}

}  // namespace

TEST(BoxReading, BlankBoxesAndWritingThatLeftTheBox) {
    const auto nothing = [](GreyImage&, int, int, int, int) {};
    // Found again a millimetre and a half from where it should be, and still blank.
    const scan::BoxReading blank = scan::ReadBox(BoxPage(7, nothing, {1.5, -1.2}), paper::AnswerBox(7), 2);
    EXPECT_TRUE(blank.blank);
    EXPECT_NEAR(blank.where.x, (paper::AnswerBox(7).x + 1.5) * scan::kPixelsPerMm, 2);
    double certainty = 0;
    EXPECT_EQ(scan::Judge(blank, 45, certainty), scan::Verdict::Wrong);

    // A stroke that runs out of the box goes to a person, whatever it reads as.
    const scan::BoxReading out = scan::ReadBox(
        BoxPage(12, [](GreyImage& p, int x, int y, int w, int h) { Bar(p, x + w / 2, y + 8, x + w / 2 + 3, y + h + 14); }),
        paper::AnswerBox(12), 1);
    EXPECT_FALSE(out.blank);
    EXPECT_FALSE(out.doubt.empty());
    EXPECT_EQ(scan::Judge(out, 1, certainty), scan::Verdict::Doubtful);

    // A speck is no answer, and no blank either: a person looks.
    const scan::BoxReading speck = scan::ReadBox(
        BoxPage(3, [](GreyImage& p, int x, int y, int, int) { Bar(p, x + 40, y + 30, x + 44, y + 33); }), paper::AnswerBox(3), 2);
    EXPECT_FALSE(speck.blank);
    EXPECT_EQ(scan::Judge(speck, 12, certainty), scan::Verdict::Doubtful);
}

namespace {

// Held-out MNIST digits of `label`, as ink (0..1).
std::vector<std::array<float, 784>> HeldOut(int label, std::size_t count) {
    std::ifstream in(std::string(PELLARIN_DIGITS_DIR) + "/heldout-mnist.bin", std::ios::binary);
    std::vector<std::array<float, 784>> out;
    std::array<unsigned char, 785> record;
    while (out.size() < count && in.read(reinterpret_cast<char*>(record.data()), record.size())) {
        if (record[0] != label) continue;
        out.emplace_back();
        for (int j = 0; j < 784; ++j) out.back()[j] = record[1 + j] / 255.0f;
    }
    return out;
}

// A digit written into a box: 6 mm high, centred, pencil-dark.
void Write(GreyImage& page, const std::array<float, 784>& digit, int left, int top) {
    const double scale = 6 * scan::kPixelsPerMm / 20;
    for (int y = 0; y < 28 * scale; ++y) {
        for (int x = 0; x < 28 * scale; ++x) {
            const float ink = digit[static_cast<int>(y / scale) * 28 + static_cast<int>(x / scale)];
            auto& pixel = page.at(left + x, top + y);
            pixel = std::min<int>(pixel, static_cast<int>(245 - 215 * ink));
        }
    }
}

}  // namespace

// Held-out handwriting in a clean box is read and judged by itself; the same digits struck
// through with an X go to a person.
TEST(BoxReading, DigitsAreReadAndStruckOutOnesGoToAPerson) {
    int right = 0, struckDecided = 0, tried = 0;
    for (const int label : {3, 7}) {
        for (const auto& digit : HeldOut(label, 10)) {
            ++tried;
            const GreyImage written = BoxPage(21, [&](GreyImage& p, int x, int y, int w, int h) {
                Write(p, digit, x + w / 2 - 34, y + h / 2 - 34);
            });
            double certainty = 0;
            right += scan::Judge(scan::ReadBox(written, paper::AnswerBox(21), 1), label, certainty) == scan::Verdict::Right;
            const GreyImage struck = BoxPage(21, [&](GreyImage& p, int x, int y, int w, int h) {
                Write(p, digit, x + w / 2 - 34, y + h / 2 - 34);
                for (int t = 0; t < 48; ++t) {
                    for (int d = -1; d <= 1; ++d) {
                        p.at(x + w / 2 - 24 + t, y + 10 + t + d) = 30;
                        p.at(x + w / 2 + 24 - t, y + 10 + t + d) = 30;
                    }
                }
            });
            const scan::Verdict verdict = scan::Judge(scan::ReadBox(struck, paper::AnswerBox(21), 1), label, certainty);
            struckDecided += verdict != scan::Verdict::Doubtful;
        }
    }
    ASSERT_EQ(tried, 20) << "no held-out digits in " << PELLARIN_DIGITS_DIR << " (make digits)";
    EXPECT_GE(right, 17) << "of 20 clean digits marked 对";
    EXPECT_LE(struckDecided, 1) << "of 20 struck-out digits decided without a person";
}

TEST(Verdicts, OnlyAConfidentReadIsMarkedWithoutAPerson) {
    auto digits = [](std::string text, float sure) {
        std::vector<scan::Probabilities> out;
        for (char c : text) {
            scan::Probabilities p{};
            p.fill((1 - sure) / 10);
            p[c - '0'] = sure;
            out.push_back(p);
        }
        return out;
    };
    // The writing standing as separate digits, read one way.
    auto reading = [&](std::string text, float sure) {
        scan::BoxReading r;
        r.digits = text;
        r.perDigit = digits(text, sure);
        r.ways = {r.perDigit};
        r.plainPieces = true;
        return r;
    };
    double certainty = 0;
    EXPECT_EQ(scan::Judge(reading("45", 0.999f), 45, certainty), scan::Verdict::Right);
    EXPECT_EQ(scan::Judge(reading("46", 0.999f), 45, certainty), scan::Verdict::Wrong);
    EXPECT_EQ(scan::Judge(reading("4", 0.999f), 45, certainty), scan::Verdict::Wrong);
    EXPECT_EQ(scan::Judge(reading("45", 0.5f), 45, certainty), scan::Verdict::Doubtful);
    EXPECT_EQ(scan::Judge(reading("46", 0.9f), 45, certainty), scan::Verdict::Doubtful);
    scan::BoxReading doubted = reading("45", 0.999f);
    doubted.doubt = "字写到了框外";
    EXPECT_EQ(scan::Judge(doubted, 45, certainty), scan::Verdict::Doubtful);
    // A digit lost by cutting touching digits apart is the reader's doing: no 错.
    scan::BoxReading cut = reading("4", 0.999f);
    cut.plainPieces = false;
    EXPECT_EQ(scan::Judge(cut, 45, certainty), scan::Verdict::Doubtful);
    // Another way of cutting the writing reads the right result: no 错, whatever the surest way says.
    scan::BoxReading either = reading("48", 0.999f);
    either.ways.push_back(digits("45", 0.8f));
    EXPECT_EQ(scan::Judge(either, 45, certainty), scan::Verdict::Right);
    either.ways.back() = digits("45", 0.2f);
    EXPECT_EQ(scan::Judge(either, 45, certainty), scan::Verdict::Doubtful);
    // A blank box is 错, and never 对.
    scan::BoxReading blank;
    blank.blank = true;
    EXPECT_EQ(scan::Judge(blank, 0, certainty), scan::Verdict::Wrong);
}

// The recogniser on held-out handwriting: MNIST digits and whole fonts that training never saw.
TEST(DigitNet, ReadsHandwritingItNeverSaw) {
    for (const auto& [file, floor] : {std::pair{"heldout-mnist.bin", 0.96}, std::pair{"heldout-fonts.bin", 0.9}}) {
        std::ifstream in(std::string(PELLARIN_DIGITS_DIR) + "/" + file, std::ios::binary);
        ASSERT_TRUE(in) << "no held-out digits in " << PELLARIN_DIGITS_DIR << " (make digits)";
        std::array<int, 10> right{}, all{};
        std::array<unsigned char, 785> record;
        while (in.read(reinterpret_cast<char*>(record.data()), record.size())) {
            std::array<float, 784> image;
            for (int j = 0; j < 784; ++j) image[j] = record[1 + j] / 255.0f;
            const scan::Probabilities p = scan::Classify(image);
            ++all[record[0]];
            right[record[0]] += std::max_element(p.begin(), p.end()) - p.begin() == record[0];
        }
        int r = 0, n = 0;
        std::string figures;
        for (int d = 0; d < 10; ++d) {
            r += right[d], n += all[d];
            char figure[32];
            std::snprintf(figure, sizeof figure, " %d: %.1f%%", d, 100.0 * right[d] / std::max(all[d], 1));
            figures += figure;
        }
        std::printf("%s:%s, all %.2f%% of %d\n", file, figures.c_str(), 100.0 * r / n, n);
        EXPECT_GE(static_cast<double>(r) / n, floor) << file << figures;
    }
}
