#include "ReadPage.h"

#include <zbar.h>

#include <algorithm>
#include <cmath>
#include <numeric>

#include "marking/ProblemValue.h"

namespace scan {
namespace paper = marking::paper;
namespace {

constexpr int kInk = 60;  // darker than the paper around it by this much is ink

// A box's pixels as ink, 0 (paper) to 1 (the ink's own darkness), and where ink is.
struct InkMap {
    int width = 0, height = 0;
    std::vector<float> ink;
    std::vector<std::uint8_t> mask;
};

struct Group {
    int x0, x1, y0, y1;
    std::vector<int> pixels;  // indices into the ink map
};

// Ink in connected pieces (8 neighbours), specks dropped, then pieces that stand over each
// other (the bar of a 5 apart from its body) taken as one digit, left to right.
std::vector<Group> Digits(const InkMap& map) {
    std::vector<Group> pieces;
    std::vector<std::uint8_t> seen(map.mask.size(), 0);
    std::vector<int> stack;
    for (int start = 0; start < static_cast<int>(map.mask.size()); ++start) {
        if (!map.mask[start] || seen[start]) continue;
        Group g{1 << 30, -1, 1 << 30, -1, {}};
        stack.push_back(start);
        seen[start] = 1;
        while (!stack.empty()) {
            const int i = stack.back();
            stack.pop_back();
            const int x = i % map.width, y = i / map.width;
            g.pixels.push_back(i);
            g.x0 = std::min(g.x0, x), g.x1 = std::max(g.x1, x), g.y0 = std::min(g.y0, y), g.y1 = std::max(g.y1, y);
            for (int dy = -1; dy <= 1; ++dy) {
                for (int dx = -1; dx <= 1; ++dx) {
                    const int nx = x + dx, ny = y + dy;
                    if (nx < 0 || ny < 0 || nx >= map.width || ny >= map.height) continue;
                    const int n = ny * map.width + nx;
                    if (map.mask[n] && !seen[n]) {
                        seen[n] = 1;
                        stack.push_back(n);
                    }
                }
            }
        }
        if (g.pixels.size() >= 8) pieces.push_back(std::move(g));
    }
    std::sort(pieces.begin(), pieces.end(), [](const Group& a, const Group& b) { return a.x0 + a.x1 < b.x0 + b.x1; });
    std::vector<Group> digits;
    for (Group& p : pieces) {
        if (!digits.empty()) {
            Group& last = digits.back();
            const int overlap = std::min(last.x1, p.x1) - std::max(last.x0, p.x0);
            const int narrower = std::min(last.x1 - last.x0, p.x1 - p.x0);
            if (overlap > 0.5 * narrower) {
                last.x0 = std::min(last.x0, p.x0), last.x1 = std::max(last.x1, p.x1);
                last.y0 = std::min(last.y0, p.y0), last.y1 = std::max(last.y1, p.y1);
                last.pixels.insert(last.pixels.end(), p.pixels.begin(), p.pixels.end());
                continue;
            }
        }
        digits.push_back(std::move(p));
    }
    return digits;
}

// Two digits written touching each other, cut where the fewest ink pixels stand between them.
std::vector<Group> SplitWide(std::vector<Group> digits, const InkMap& map) {
    std::vector<Group> out;
    for (Group& g : digits) {
        const int w = g.x1 - g.x0 + 1, h = g.y1 - g.y0 + 1;
        if (digits.size() >= 3 || w < 1.25 * h) {
            out.push_back(std::move(g));
            continue;
        }
        std::vector<int> column(w, 0);
        for (int i : g.pixels) ++column[i % map.width - g.x0];
        int cut = w / 2;
        for (int x = w * 3 / 10; x <= w * 7 / 10; ++x) {
            if (column[x] < column[cut]) cut = x;
        }
        Group left{g.x0, g.x0 + cut - 1, g.y1, g.y0, {}}, right{g.x0 + cut, g.x1, g.y1, g.y0, {}};
        for (int i : g.pixels) {
            Group& side = i % map.width < g.x0 + cut ? left : right;
            side.pixels.push_back(i);
            side.y0 = std::min(side.y0, i / map.width), side.y1 = std::max(side.y1, i / map.width);
        }
        for (Group* side : {&left, &right}) {
            if (side->pixels.size() >= 8) out.push_back(std::move(*side));
        }
    }
    return out;
}

// A digit as the recogniser sees it: its ink scaled so that its longer side is 20 pixels,
// each pixel the mean of the ink it covers, put on 28 x 28 with its centre of mass in the
// middle, as MNIST's digits are.
std::array<float, kSide * kSide> Normalised(const Group& g, const InkMap& map) {
    const int w = g.x1 - g.x0 + 1, h = g.y1 - g.y0 + 1;
    std::vector<float> crop(static_cast<std::size_t>(w) * h, 0.0f);
    for (int i : g.pixels) crop[(i / map.width - g.y0) * w + (i % map.width - g.x0)] = map.ink[i];
    const double scale = 20.0 / std::max(w, h);
    const int sw = std::max(1, static_cast<int>(std::lround(w * scale))), sh = std::max(1, static_cast<int>(std::lround(h * scale)));
    std::vector<float> small(static_cast<std::size_t>(sw) * sh, 0.0f);
    for (int y = 0; y < sh; ++y) {
        for (int x = 0; x < sw; ++x) {
            // The source rectangle this pixel covers, averaged.
            const double fx0 = x / scale, fx1 = (x + 1) / scale, fy0 = y / scale, fy1 = (y + 1) / scale;
            double sum = 0, area = 0;
            for (int sy = static_cast<int>(fy0); sy < std::min<double>(h, std::ceil(fy1)); ++sy) {
                const double cy = std::min<double>(sy + 1, fy1) - std::max<double>(sy, fy0);
                for (int sx = static_cast<int>(fx0); sx < std::min<double>(w, std::ceil(fx1)); ++sx) {
                    const double cx = std::min<double>(sx + 1, fx1) - std::max<double>(sx, fx0);
                    sum += cx * cy * crop[sy * w + sx];
                    area += cx * cy;
                }
            }
            small[y * sw + x] = area > 0 ? static_cast<float>(sum / area) : 0.0f;
        }
    }
    double total = 0, mx = 0, my = 0;
    for (int y = 0; y < sh; ++y) {
        for (int x = 0; x < sw; ++x) total += small[y * sw + x], mx += x * small[y * sw + x], my += y * small[y * sw + x];
    }
    const int ox = static_cast<int>(std::lround(14 - (total > 0 ? mx / total : sw / 2.0) - 0.5));
    const int oy = static_cast<int>(std::lround(14 - (total > 0 ? my / total : sh / 2.0) - 0.5));
    std::array<float, kSide * kSide> out{};
    for (int y = 0; y < sh; ++y) {
        for (int x = 0; x < sw; ++x) {
            const int tx = x + ox, ty = y + oy;
            if (tx >= 0 && ty >= 0 && tx < kSide && ty < kSide) out[ty * kSide + tx] = std::min(1.0f, small[y * sw + x]);
        }
    }
    return out;
}

}  // namespace

int PageMarks::score() const {
    return static_cast<int>(std::count_if(marks.begin(), marks.end(), [](const ProblemMark& m) { return m.verdict == Verdict::Right; }));
}

std::optional<std::vector<std::uint8_t>> ReadCode(const GreyImage& picture) {
    zbar::zbar_image_scanner_t* scanner = zbar::zbar_image_scanner_create();
    zbar::zbar_image_scanner_set_config(scanner, zbar::ZBAR_NONE, zbar::ZBAR_CFG_ENABLE, 0);
    zbar::zbar_image_scanner_set_config(scanner, zbar::ZBAR_QRCODE, zbar::ZBAR_CFG_ENABLE, 1);
    // The bytes as they are: a sheet's code is binary, never text in some character set.
    zbar::zbar_image_scanner_set_config(scanner, zbar::ZBAR_QRCODE, zbar::ZBAR_CFG_BINARY, 1);
    zbar::zbar_image_t* image = zbar::zbar_image_create();
    zbar::zbar_image_set_format(image, zbar_fourcc('Y', '8', '0', '0'));
    zbar::zbar_image_set_size(image, static_cast<unsigned>(picture.width), static_cast<unsigned>(picture.height));
    zbar::zbar_image_set_data(image, picture.pixels.data(), picture.pixels.size(), nullptr);
    std::optional<std::vector<std::uint8_t>> bytes;
    if (zbar::zbar_scan_image(scanner, image) > 0) {
        for (const zbar::zbar_symbol_t* symbol = zbar::zbar_image_first_symbol(image); symbol && !bytes;
             symbol = zbar::zbar_symbol_next(symbol)) {
            const auto* data = reinterpret_cast<const std::uint8_t*>(zbar::zbar_symbol_get_data(symbol));
            bytes.emplace(data, data + zbar::zbar_symbol_get_data_length(symbol));
        }
    }
    zbar::zbar_image_destroy(image);
    zbar::zbar_image_scanner_destroy(scanner);
    return bytes;
}

BoxReading ReadBox(const GreyImage& page, Rect box) {
    const double s = kPixelsPerMm;
    const int bw = static_cast<int>(std::lround(box.width * s)), bh = static_cast<int>(std::lround(box.height * s));
    int bx = static_cast<int>(std::lround(box.x * s)), by = static_cast<int>(std::lround(box.y * s));
    auto dark = [&](int x, int y) { return x < 0 || y < 0 || x >= page.width || y >= page.height ? 0 : 255 - page.at(x, y); };
    // The frame where it is printed: curled paper and a loose warp move it by a millimetre or
    // two. The place where its four sides are darkest, first every other pixel, then finely.
    auto frame = [&](int x, int y) {
        long sum = 0;
        for (int i = 0; i < bw; ++i) sum += dark(x + i, y) + dark(x + i, y + bh);
        for (int i = 0; i < bh; ++i) sum += dark(x, y + i) + dark(x + bw, y + i);
        return sum;
    };
    const int reach = static_cast<int>(2.5 * s);
    int best = bx, bestY = by;
    long bestSum = -1;
    for (int dy = -reach; dy <= reach; dy += 2) {
        for (int dx = -reach; dx <= reach; dx += 2) {
            const long sum = frame(bx + dx, by + dy);
            if (sum > bestSum) bestSum = sum, best = bx + dx, bestY = by + dy;
        }
    }
    bx = best, by = bestY;
    for (int dy = -1; dy <= 1; ++dy) {
        for (int dx = -1; dx <= 1; ++dx) {
            const long sum = frame(best + dx, bestY + dy);
            if (sum > bestSum) bestSum = sum, bx = best + dx, by = bestY + dy;
        }
    }
    BoxReading reading;
    reading.where = {static_cast<double>(bx), static_cast<double>(by), static_cast<double>(bw), static_cast<double>(bh)};

    // Inside the frame, clear of it.
    const int margin = static_cast<int>(std::lround(0.6 * s));
    InkMap map;
    const int ix = bx + margin, iy = by + margin;
    map.width = std::max(1, bw - 2 * margin);
    map.height = std::max(1, bh - 2 * margin);
    std::vector<int> values;
    values.reserve(static_cast<std::size_t>(map.width) * map.height);
    for (int y = 0; y < map.height; ++y) {
        for (int x = 0; x < map.width; ++x) values.push_back(255 - dark(ix + x, iy + y));
    }
    std::vector<int> sorted = values;
    std::nth_element(sorted.begin(), sorted.begin() + sorted.size() * 8 / 10, sorted.end());
    const int paperLevel = sorted[sorted.size() * 8 / 10];
    map.ink.resize(values.size());
    map.mask.resize(values.size());
    int inkCount = 0;
    std::vector<int> inkDarkness;
    for (std::size_t i = 0; i < values.size(); ++i) {
        const int d = paperLevel - values[i];
        map.mask[i] = d > kInk;
        if (map.mask[i]) ++inkCount, inkDarkness.push_back(d);
    }
    if (inkCount < 12) {
        reading.blank = true;
        return reading;
    }
    std::nth_element(inkDarkness.begin(), inkDarkness.begin() + inkDarkness.size() * 9 / 10, inkDarkness.end());
    const double full = std::max(kInk + 20, inkDarkness[inkDarkness.size() * 9 / 10]);
    for (std::size_t i = 0; i < values.size(); ++i) {
        map.ink[i] = static_cast<float>(std::clamp((paperLevel - values[i]) / full, 0.0, 1.0));
        if (!map.mask[i]) map.ink[i] = std::min(map.ink[i], 0.35f);
    }
    // Ink just outside the frame: writing that left the box.
    int outside = 0;
    const int ring = static_cast<int>(std::lround(0.3 * s)), width = static_cast<int>(std::lround(0.8 * s));
    for (int y = by - width; y <= by + bh + width; ++y) {
        for (int x = bx - width; x <= bx + bw + width; ++x) {
            const bool inside = x > bx - ring && x < bx + bw + ring && y > by - ring && y < by + bh + ring;
            if (!inside && x >= 0 && y >= 0 && x < page.width && y < page.height && paperLevel - page.at(x, y) > kInk + 30) ++outside;
        }
    }
    if (inkCount < 40) reading.doubt = "框里只有一点痕迹";
    if (outside > 25) reading.doubt = "字写到了框外";
    std::vector<Group> digits = SplitWide(Digits(map), map);
    if (digits.empty()) {  // nothing but specks
        reading.blank = reading.doubt.empty();
        return reading;
    }
    if (digits.size() > 3) {
        reading.doubt = "框里写了不止三个字";
        return reading;
    }
    for (const Group& g : digits) {
        const Probabilities p = Classify(Normalised(g, map));
        const int top = static_cast<int>(std::max_element(p.begin(), p.end()) - p.begin());
        reading.perDigit.push_back(p);
        if (top == kNotADigit) {
            if (reading.doubt.empty()) reading.doubt = "有涂改，或者认不清";
            reading.digits += '?';
        } else {
            reading.digits += static_cast<char>('0' + top);
        }
    }
    return reading;
}

Verdict Judge(const BoxReading& reading, int result, double& certainty) {
    if (reading.blank) {
        certainty = 1;
        return Verdict::Wrong;
    }
    const std::string expected = std::to_string(result);
    double pExpected = reading.perDigit.size() == expected.size() ? 1.0 : 0.0, pRead = 1.0;
    for (std::size_t i = 0; i < reading.perDigit.size(); ++i) {
        const Probabilities& p = reading.perDigit[i];
        pRead *= *std::max_element(p.begin(), p.end());
        if (pExpected > 0) pExpected *= p[expected[i] - '0'];
    }
    if (reading.doubt.empty() && reading.digits == expected && pExpected >= kRightAt) {
        certainty = pExpected;
        return Verdict::Right;
    }
    if (reading.doubt.empty() && reading.digits != expected && reading.digits.find('?') == std::string::npos &&
        pRead >= kWrongAt && pExpected < 0.001) {
        certainty = pRead;
        return Verdict::Wrong;
    }
    certainty = std::max(pExpected, reading.digits == expected ? 0.0 : pRead) * (reading.doubt.empty() ? 1 : 0.5);
    return Verdict::Doubtful;
}

PageMarks MarkPage(const GreyImage& picture, bool keepStraight) {
    PageMarks page;
    auto squares = FindSquares(picture);
    if (const std::string* why = std::get_if<std::string>(&squares)) {
        page.reason = *why;
        return page;
    }
    // The code is where the page's bottom right is, with the page upright or turned round.
    const Rect codeArea{paper::kCodeArea.x - 3, paper::kCodeArea.y - 3, paper::kCodeArea.width + 6, paper::kCodeArea.height + 6};
    std::optional<Homography> map;
    bool foreign = false;
    for (const std::optional<Homography>& candidate : PageMaps(std::get<Squares>(squares))) {
        if (!candidate) continue;
        const auto bytes = ReadCode(Straighten(picture, *candidate, 10, codeArea));
        if (!bytes) continue;
        if (auto sheet = marking::DecodeSheet(*bytes)) {
            page.sheet = std::move(*sheet);
            map = candidate;
            break;
        }
        foreign = true;
    }
    if (!map) {
        page.reason = foreign ? "二维码不是本程序打印的试卷" : "读不出试卷右下角的二维码（也许太模糊、被涂画，或者没有扫进去）";
        return page;
    }
    page.straight = Straighten(picture, *map, kPixelsPerMm, {0, 0, paper::kPageWidth, paper::kPageHeight});
    const int count = std::min<int>(static_cast<int>(page.sheet.problems.size()), paper::kProblems);
    for (int i = 0; i < count; ++i) {
        ProblemMark mark;
        mark.number = i + 1;
        mark.problem = page.sheet.problems[i];
        mark.result = marking::WritableResult(mark.problem);
        if (mark.result) {
            mark.reading = ReadBox(page.straight, paper::AnswerBox(i));
            mark.verdict = Judge(mark.reading, *mark.result, mark.certainty);
        }
        page.marks.push_back(std::move(mark));
    }
    page.recognised = true;
    if (!keepStraight) page.straight = {};
    return page;
}

}  // namespace scan
