#include "ReadPage.h"

#include <zbar.h>

#include <algorithm>
#include <chrono>
#include <cmath>
#include <map>
#include <numeric>
#include <tuple>

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
std::vector<Group> Pieces(const InkMap& map, std::size_t* separate = nullptr) {
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
    if (separate) *separate = pieces.size();
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

// A piece cut in two where the fewest ink pixels stand, between its 30 % and 70 % columns.
std::vector<Group> CutAtLeastInk(const Group& g, const InkMap& map) {
    const int w = g.x1 - g.x0 + 1;
    if (w < 6) return {g};
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
    std::vector<Group> out;
    for (Group* side : {&left, &right}) {
        if (side->pixels.size() >= 8) out.push_back(std::move(*side));
    }
    return out;
}

// Two digits written touching each other, cut apart: a piece much wider than high.
std::vector<Group> SplitWide(const std::vector<Group>& digits, const InkMap& map) {
    std::vector<Group> out;
    for (const Group& g : digits) {
        const int w = g.x1 - g.x0 + 1, h = g.y1 - g.y0 + 1;
        if (digits.size() >= 3 || w < 1.25 * h) {
            out.push_back(g);
            continue;
        }
        for (Group& part : CutAtLeastInk(g, map)) out.push_back(std::move(part));
    }
    return out;
}

// A digit as the recogniser sees it: its ink scaled so that its longer side is 20 pixels,
// each pixel the mean of the ink it covers, put on 28 x 28 with its centre of mass in the
// middle, as MNIST's digits are.
std::array<float, kSide * kSide> Normalised(const Group& g, const InkMap& map, double size = 20) {
    const int w = g.x1 - g.x0 + 1, h = g.y1 - g.y0 + 1;
    std::vector<float> crop(static_cast<std::size_t>(w) * h, 0.0f);
    for (int i : g.pixels) crop[(i / map.width - g.y0) * w + (i % map.width - g.x0)] = map.ink[i];
    const double scale = size / std::max(w, h);
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

// The ways of cutting the writing into digits: the pieces as they stand (touching digits cut
// apart); as many digits as the answer has, the closest pieces joined or the widest cut where
// the least ink joins them; and all the ink cut by its columns into as many.
std::vector<std::vector<Group>> WaysToCut(const std::vector<Group>& pieces, const InkMap& map, std::size_t expectedDigits) {
    std::vector<std::vector<Group>> candidates{SplitWide(pieces, map)};
    for (std::size_t count : {expectedDigits, candidates[0].size()}) {
        if (count < 1 || count > 3) continue;
        std::vector<Group> shaped = pieces;
        while (shaped.size() > count) {
            std::size_t join = 0;
            int gap = 1 << 30;
            for (std::size_t i = 0; i + 1 < shaped.size(); ++i) {
                if (shaped[i + 1].x0 - shaped[i].x1 < gap) gap = shaped[i + 1].x0 - shaped[i].x1, join = i;
            }
            Group& a = shaped[join];
            const Group& b = shaped[join + 1];
            a.x0 = std::min(a.x0, b.x0), a.x1 = std::max(a.x1, b.x1), a.y0 = std::min(a.y0, b.y0), a.y1 = std::max(a.y1, b.y1);
            a.pixels.insert(a.pixels.end(), b.pixels.begin(), b.pixels.end());
            shaped.erase(shaped.begin() + static_cast<std::ptrdiff_t>(join) + 1);
        }
        while (shaped.size() < count) {
            auto widest = std::max_element(shaped.begin(), shaped.end(),
                                           [](const Group& a, const Group& b) { return a.x1 - a.x0 < b.x1 - b.x0; });
            std::vector<Group> cut = CutAtLeastInk(*widest, map);
            if (cut.size() < 2) break;
            const auto at = shaped.erase(widest);
            shaped.insert(at, cut.begin(), cut.end());
        }
        if (shaped.size() == count) candidates.push_back(std::move(shaped));
    }
    // And all the ink cut into as many digits by its columns, where the least ink stands
    // between them: a digit broken into pieces that stand over their neighbours' (a 0 written
    // in two strokes beside a 1) is whole again.
    for (std::size_t count : {expectedDigits, candidates[0].size()}) {
        if (count < 2 || count > 3) continue;
        Group all{1 << 30, -1, 1 << 30, -1, {}};
        for (const Group& g : pieces) {
            all.x0 = std::min(all.x0, g.x0), all.x1 = std::max(all.x1, g.x1), all.y0 = std::min(all.y0, g.y0), all.y1 = std::max(all.y1, g.y1);
            all.pixels.insert(all.pixels.end(), g.pixels.begin(), g.pixels.end());
        }
        const int w = all.x1 - all.x0 + 1;
        std::vector<int> column(w, 0);
        for (int i : all.pixels) ++column[i % map.width - all.x0];
        std::vector<int> cuts;
        for (std::size_t k = 1; k < count; ++k) {
            const int centre = static_cast<int>(w * k / count), reach = w / (2 * static_cast<int>(count));
            int cut = centre;
            for (int x = std::max(1, centre - reach); x <= std::min(w - 2, centre + reach); ++x) {
                if (column[x] < column[cut]) cut = x;
            }
            cuts.push_back(all.x0 + cut);
        }
        std::vector<Group> parts(count, Group{1 << 30, -1, 1 << 30, -1, {}});
        for (int i : all.pixels) {
            const int x = i % map.width, y = i / map.width;
            const std::size_t part = static_cast<std::size_t>(std::upper_bound(cuts.begin(), cuts.end(), x) - cuts.begin());
            Group& g = parts[part];
            g.pixels.push_back(i);
            g.x0 = std::min(g.x0, x), g.x1 = std::max(g.x1, x), g.y0 = std::min(g.y0, y), g.y1 = std::max(g.y1, y);
        }
        if (std::all_of(parts.begin(), parts.end(), [](const Group& g) { return g.pixels.size() >= 8; })) {
            candidates.push_back(std::move(parts));
        }
    }
    return candidates;
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

FoundFrame FindFrame(const GreyImage& page, Rect box, Point near, double reachMm) {
    const double s = kPixelsPerMm;
    const int bw = static_cast<int>(std::lround(box.width * s)), bh = static_cast<int>(std::lround(box.height * s));
    const int x0 = static_cast<int>(std::lround((box.x + near.x) * s)), y0 = static_cast<int>(std::lround((box.y + near.y) * s));
    const int reach = static_cast<int>(reachMm * s);
    // Darkness against the paper around the box: a page that came out grey, or lit unevenly,
    // has its paper well below white.
    std::vector<std::uint8_t> around;
    for (int y = std::max(0, y0 - reach); y < std::min(page.height, y0 + bh + reach); y += 2) {
        for (int x = std::max(0, x0 - reach); x < std::min(page.width, x0 + bw + reach); x += 2) around.push_back(page.at(x, y));
    }
    int paperLevel = 255;
    if (!around.empty()) {
        std::nth_element(around.begin(), around.begin() + around.size() * 85 / 100, around.end());
        paperLevel = around[around.size() * 85 / 100];
    }
    auto dark = [&](int x, int y) { return x < 0 || y < 0 || x >= page.width || y >= page.height ? 0 : paperLevel - page.at(x, y); };
    // Where a line could run: a pixel darker than the paper, or one beside it across the line.
    // Kept as running sums along rows and columns over the region searched, so that each side
    // of each place tried is counted at once.
    const int rx = x0 - reach - 2, ry = y0 - reach - 2, rw = bw + 2 * reach + 5, rh = bh + 2 * reach + 5;
    std::vector<std::uint8_t> inked(static_cast<std::size_t>(rw) * rh);
    for (int y = 0; y < rh; ++y) {
        for (int x = 0; x < rw; ++x) inked[y * rw + x] = dark(rx + x, ry + y) > 40;
    }
    auto at = [&](int x, int y) { return x < 0 || y < 0 || x >= rw || y >= rh ? 0 : inked[y * rw + x]; };
    std::vector<int> rows(static_cast<std::size_t>(rw + 1) * rh, 0), columns(static_cast<std::size_t>(rh + 1) * rw, 0);
    for (int y = 0; y < rh; ++y) {
        for (int x = 0; x < rw; ++x) {
            const int horizontal = at(x, y - 1) | at(x, y) | at(x, y + 1), vertical = at(x - 1, y) | at(x, y) | at(x + 1, y);
            rows[y * (rw + 1) + x + 1] = rows[y * (rw + 1) + x] + horizontal;
            columns[x * (rh + 1) + y + 1] = columns[x * (rh + 1) + y] + vertical;
        }
    }
    // Of the row at y, the columns x .. x + n - 1 (region coordinates); of the column likewise.
    auto along = [&](int x, int y, int n) { return rows[y * (rw + 1) + x + n] - rows[y * (rw + 1) + x]; };
    auto down = [&](int x, int y, int n) { return columns[x * (rh + 1) + y + n] - columns[x * (rh + 1) + y]; };
    // The place where the frame's weakest side is most nearly whole: a printed line runs the
    // side's whole length, where a child's stroke or a neighbour's text covers only part of it.
    auto frame = [&](int px, int py, long& weakest) {
        const int x = px - rx, y = py - ry;
        const long top = along(x, y, bw), bottom = along(x, y + bh, bw), left = down(x, y, bh), right = down(x + bw, y, bh);
        // Each side as a share of its length, in thousandths; the weakest, then all four.
        weakest = std::min({top * 1000 / bw, bottom * 1000 / bw, left * 1000 / bh, right * 1000 / bh});
        return weakest * 4000 + (top + bottom) * 1000 / bw + (left + right) * 1000 / bh;
    };
    FoundFrame found{x0, y0, 0};
    long bestScore = -1, weakest = 0;
    for (int dy = -reach; dy <= reach; ++dy) {
        for (int dx = -reach; dx <= reach; ++dx) {
            const long score = frame(x0 + dx, y0 + dy, weakest);
            if (score > bestScore) bestScore = score, found = {x0 + dx, y0 + dy, weakest};
        }
    }
    return found;
}

BoxReading ReadBox(const GreyImage& page, Rect box, std::size_t expectedDigits, Point near, double reachMm,
                   CutDigits* cut) {
    const double s = kPixelsPerMm;
    const int bw = static_cast<int>(std::lround(box.width * s)), bh = static_cast<int>(std::lround(box.height * s));
    auto dark = [&](int x, int y) { return x < 0 || y < 0 || x >= page.width || y >= page.height ? 0 : 255 - page.at(x, y); };
    const FoundFrame frame = FindFrame(page, box, near, reachMm);
    const int bx = frame.x, by = frame.y;
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
    const int ring = static_cast<int>(std::lround(0.5 * s)), width = static_cast<int>(std::lround(1.0 * s));
    for (int y = by - width; y <= by + bh + width; ++y) {
        for (int x = bx - width; x <= bx + bw + width; ++x) {
            const bool inside = x > bx - ring && x < bx + bw + ring && y > by - ring && y < by + bh + ring;
            if (!inside && x >= 0 && y >= 0 && x < page.width && y < page.height && paperLevel - page.at(x, y) > 125) ++outside;
        }
    }
    if (inkCount < 40) reading.doubt = "框里只有一点痕迹";
    if (outside > 10) reading.doubt = "字写到了框外";
    std::size_t separate = 0;  // pieces of ink apart from each other, before any are joined
    const std::vector<Group> pieces = Pieces(map, &separate);
    if (pieces.empty()) {  // nothing but specks
        reading.blank = reading.doubt.empty();
        return reading;
    }
    // Read every way of cutting it; the reading the network is surest of is kept.
    const std::vector<std::vector<Group>> candidates = WaysToCut(pieces, map, expectedDigits);
    if (cut) {  // the trainer's: the digits as this reader cuts them, as many as were written
        for (const std::vector<Group>& digits : candidates) {
            if (digits.size() != cut->count) continue;
            for (const Group& g : digits) cut->images.push_back(Normalised(g, map));
            break;
        }
        return reading;
    }
    double surest = -1;
    std::vector<std::vector<Probabilities>> ways;
    std::map<std::tuple<int, int, int, int, std::size_t>, Probabilities> readDigits;
    for (std::size_t c = 0; c < candidates.size(); ++c) {
        const std::vector<Group>& digits = candidates[c];
        if (digits.empty() || digits.size() > 3) continue;
        BoxReading read = reading;
        read.plainPieces = c == 0 && digits.size() == separate &&
                           std::all_of(digits.begin(), digits.end(), [](const Group& g) { return g.x1 - g.x0 <= 1.05 * (g.y1 - g.y0); });
        double sure = 1;
        for (const Group& g : digits) {
            // The digit at three sizes, their probabilities averaged: a reading that holds
            // only at one size is not one to trust. A piece that stands the same in several
            // ways of cutting is read once.
            const auto key = std::make_tuple(g.x0, g.x1, g.y0, g.y1, g.pixels.size());
            auto known = readDigits.find(key);
            if (known == readDigits.end()) {
                Probabilities sum{};
                for (const double size : {18.0, 20.0, 22.0}) {
                    const Probabilities one = Classify(Normalised(g, map, size));
                    for (int k = 0; k < kClasses; ++k) sum[k] += one[k] / 3;
                }
                known = readDigits.emplace(key, sum).first;
            }
            const Probabilities p = known->second;
            // The likeliest digit; writing the network takes for no digit at all is marked so.
            const int top = static_cast<int>(std::max_element(p.begin(), p.begin() + 10) - p.begin());
            const bool struck = p[kNotADigit] > 0.5;
            sure *= struck ? 0 : p[top];
            read.perDigit.push_back(p);
            read.digits += struck ? '?' : static_cast<char>('0' + top);
        }
        ways.push_back(read.perDigit);
        if (sure > surest) surest = sure, reading = std::move(read);
    }
    reading.ways = std::move(ways);
    if (surest < 0) {
        reading.doubt = "框里写了不止三个字";
        return reading;
    }
    if (reading.digits.find('?') != std::string::npos && reading.doubt.empty()) reading.doubt = "有涂改，或者认不清";
    return reading;
}

Verdict Judge(const BoxReading& reading, int result, double& certainty) {
    if (reading.blank) {
        certainty = 1;
        return Verdict::Wrong;
    }
    const std::string expected = std::to_string(result);
    // How likely the writing is the right result, read the likeliest way it can be; and how
    // sure the reading kept is.
    double pExpected = 0, pRead = 1.0;
    for (const std::vector<Probabilities>& way : reading.ways) {
        if (way.size() != expected.size()) continue;
        double p = 1;
        for (std::size_t i = 0; i < way.size(); ++i) p *= way[i][expected[i] - '0'];
        pExpected = std::max(pExpected, p);
    }
    for (const Probabilities& p : reading.perDigit) pRead *= *std::max_element(p.begin(), p.end());
    // Writing the network takes at all for no digit (struck out, scribbled over) is for a person.
    const bool marked = std::any_of(reading.perDigit.begin(), reading.perDigit.end(),
                                    [](const Probabilities& p) { return p[kNotADigit] > 0.1; });
    if (reading.doubt.empty() && !marked && pExpected >= kRightAt) {
        certainty = pExpected;
        return Verdict::Right;
    }
    // A reading of another value is only trusted where the writing stood as separate digits, or
    // was cut into as many digits as the answer has: a digit lost or gained by the cutting is
    // the reader's mistake, not the child's.
    if (reading.doubt.empty() && !marked && (reading.plainPieces || reading.digits.size() == expected.size()) &&
        reading.digits != expected &&
        reading.digits.find('?') == std::string::npos && pRead >= kWrongAt && pExpected < 0.01) {
        certainty = pRead;
        return Verdict::Wrong;
    }
    certainty = std::max(pExpected, reading.digits == expected ? 0.0 : pRead) * (reading.doubt.empty() ? 1 : 0.5);
    return Verdict::Doubtful;
}

namespace {

// Solves the 4 x 4 system a x = b (Gaussian elimination with partial pivoting); false where
// it has no single solution.
bool Solve4(std::array<std::array<double, 5>, 4> a, std::array<double, 4>& x) {
    for (int col = 0; col < 4; ++col) {
        int pivot = col;
        for (int r = col + 1; r < 4; ++r) {
            if (std::abs(a[r][col]) > std::abs(a[pivot][col])) pivot = r;
        }
        if (std::abs(a[pivot][col]) < 1e-9) return false;
        std::swap(a[col], a[pivot]);
        for (int r = 0; r < 4; ++r) {
            if (r == col) continue;
            const double f = a[r][col] / a[col][col];
            for (int c = col; c < 5; ++c) a[r][c] -= f * a[col][c];
        }
    }
    for (int i = 0; i < 4; ++i) x[i] = a[i][4] / a[i][i];
    return true;
}

}  // namespace

std::function<Point(Point)> PageCorrection(const GreyImage& page, int boxes) {
    struct Seen {
        Point at, shift;
    };
    std::vector<Seen> seen;
    for (int i = 0; i < boxes; ++i) {
        const Rect box = paper::AnswerBox(i);
        const FoundFrame frame = FindFrame(page, box, {}, 4);
        if (frame.weakest < 850) continue;  // a side of it not found whole
        seen.push_back({box.centre(), {frame.x / kPixelsPerMm - box.x, frame.y / kPixelsPerMm - box.y}});
    }
    // Frames found in the wrong place (a neighbour's) stand out from the rest: dropped, and the
    // fit made again, twice.
    std::array<double, 4> fx{}, fy{};
    auto at = [&](const std::array<double, 4>& f, Point p) { return f[0] + f[1] * p.x + f[2] * p.y + f[3] * p.x * p.y / 100; };
    for (int round = 0; round < 3 && seen.size() >= 8; ++round) {
        for (auto [f, horizontal] : {std::pair{&fx, true}, std::pair{&fy, false}}) {
            std::array<std::array<double, 5>, 4> a{};
            for (const Seen& s : seen) {
                const std::array<double, 4> term{1, s.at.x, s.at.y, s.at.x * s.at.y / 100};
                const double v = horizontal ? s.shift.x : s.shift.y;
                for (int r = 0; r < 4; ++r) {
                    for (int c = 0; c < 4; ++c) a[r][c] += term[r] * term[c];
                    a[r][4] += term[r] * v;
                }
            }
            if (!Solve4(a, *f)) *f = {};
        }
        std::erase_if(seen, [&](const Seen& s) {
            return std::hypot(at(fx, s.at) - s.shift.x, at(fy, s.at) - s.shift.y) > 0.8;
        });
    }
    if (seen.size() < 8) fx = {}, fy = {};
    return [fx, fy, at](Point p) { return Point{at(fx, p), at(fy, p)}; };
}

PageMarks MarkPage(const GreyImage& picture, bool keepStraight) {
    PageMarks page;
    using Clock = std::chrono::steady_clock;
    const Clock::time_point start = Clock::now();
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
    const Clock::time_point straightened = Clock::now();
    page.registrationSeconds = std::chrono::duration<double>(straightened - start).count();
    const int count = std::min<int>(static_cast<int>(page.sheet.problems.size()), paper::kProblems);
    // Where the boxes are: paper that curls, or a sheet that lay crooked in the scanner, moves
    // them by a few millimetres from where the corners put them, smoothly across the page.
    // Every box's frame is looked for widely; the ones found whole give a smooth correction
    // (x, y and xy terms), and each box is then looked for near where it says.
    const auto correction = PageCorrection(page.straight, count);
    for (int i = 0; i < count; ++i) {
        ProblemMark mark;
        mark.number = i + 1;
        mark.problem = page.sheet.problems[i];
        mark.result = marking::WritableResult(mark.problem);
        if (mark.result) {
            const Rect box = paper::AnswerBox(i);
            mark.reading = ReadBox(page.straight, box, std::to_string(*mark.result).size(), correction(box.centre()), 1.5);
            mark.verdict = Judge(mark.reading, *mark.result, mark.certainty);
        }
        page.marks.push_back(std::move(mark));
    }
    page.recognised = true;
    page.recognitionSeconds = std::chrono::duration<double>(Clock::now() - straightened).count();
    if (!keepStraight) page.straight = {};
    return page;
}

}  // namespace scan
