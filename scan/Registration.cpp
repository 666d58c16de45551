#include "Registration.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <vector>

namespace scan {
namespace paper = marking::paper;
namespace {

// Solves the 8 x 8 system a x = b by Gaussian elimination with partial pivoting.
std::optional<std::array<double, 8>> Solve(std::array<std::array<double, 9>, 8> a) {
    for (int col = 0; col < 8; ++col) {
        int pivot = col;
        for (int r = col + 1; r < 8; ++r) {
            if (std::abs(a[r][col]) > std::abs(a[pivot][col])) pivot = r;
        }
        if (std::abs(a[pivot][col]) < 1e-12) return std::nullopt;
        std::swap(a[col], a[pivot]);
        for (int r = 0; r < 8; ++r) {
            if (r == col) continue;
            const double f = a[r][col] / a[col][col];
            for (int c = col; c < 9; ++c) a[r][c] -= f * a[col][c];
        }
    }
    std::array<double, 8> x{};
    for (int i = 0; i < 8; ++i) x[i] = a[i][8] / a[i][i];
    return x;
}

// The picture at a size where a page is about 1,000 pixels long, each pixel the mean of the
// ones it stands for.
GreyImage Reduced(const GreyImage& picture, int& factor) {
    factor = std::max(1, std::max(picture.width, picture.height) / 1000);
    GreyImage small(picture.width / factor, picture.height / factor);
    for (int y = 0; y < small.height; ++y) {
        for (int x = 0; x < small.width; ++x) {
            int sum = 0;
            for (int dy = 0; dy < factor; ++dy) {
                const std::uint8_t* row = &picture.pixels[static_cast<std::size_t>(y * factor + dy) * picture.width + x * factor];
                for (int dx = 0; dx < factor; ++dx) sum += row[dx];
            }
            small.at(x, y) = static_cast<std::uint8_t>(sum / (factor * factor));
        }
    }
    return small;
}

struct Blob {
    double area = 0, sx = 0, sy = 0;
    int x0 = 1 << 30, y0 = 1 << 30, x1 = -1, y1 = -1;
    double side() const { return std::sqrt(area); }
};

// Dark blobs of the picture: a pixel is dark where it is well below the light around it (a
// window a tenth of the picture wide), so that uneven light and a background do not matter.
std::vector<Blob> DarkBlobs(const GreyImage& g) {
    const int w = g.width, h = g.height;
    std::vector<std::int64_t> sum(static_cast<std::size_t>(w + 1) * (h + 1), 0);
    for (int y = 0; y < h; ++y) {
        std::int64_t row = 0;
        for (int x = 0; x < w; ++x) {
            row += g.at(x, y);
            sum[(y + 1) * (w + 1) + x + 1] = sum[y * (w + 1) + x + 1] + row;
        }
    }
    const int r = std::max(8, std::max(w, h) / 20);
    std::vector<std::uint8_t> dark(static_cast<std::size_t>(w) * h, 0);
    for (int y = 0; y < h; ++y) {
        const int ya = std::max(0, y - r), yb = std::min(h, y + r + 1);
        for (int x = 0; x < w; ++x) {
            const int xa = std::max(0, x - r), xb = std::min(w, x + r + 1);
            const std::int64_t s = sum[yb * (w + 1) + xb] - sum[ya * (w + 1) + xb] - sum[yb * (w + 1) + xa] + sum[ya * (w + 1) + xa];
            const double mean = static_cast<double>(s) / ((yb - ya) * (xb - xa));
            dark[y * w + x] = g.at(x, y) < mean * 0.6 && g.at(x, y) < 160;
        }
    }
    std::vector<Blob> blobs;
    std::vector<int> stack;
    for (int start = 0; start < w * h; ++start) {
        if (dark[start] != 1) continue;
        Blob b;
        stack.push_back(start);
        dark[start] = 2;
        while (!stack.empty()) {
            const int i = stack.back();
            stack.pop_back();
            const int x = i % w, y = i / w;
            b.area += 1, b.sx += x, b.sy += y;
            b.x0 = std::min(b.x0, x), b.x1 = std::max(b.x1, x), b.y0 = std::min(b.y0, y), b.y1 = std::max(b.y1, y);
            for (const int n : {i - 1, i + 1, i - w, i + w}) {
                if (n < 0 || n >= w * h) continue;
                if ((n == i - 1 && x == 0) || (n == i + 1 && x == w - 1)) continue;
                if (dark[n] == 1) {
                    dark[n] = 2;
                    stack.push_back(n);
                }
            }
        }
        blobs.push_back(b);
    }
    return blobs;
}

double Distance(Point a, Point b) { return std::hypot(a.x - b.x, a.y - b.y); }

// The centre of the dark square near `guess` in the full picture: the mean of the pixels
// darker than halfway between the darkest and the lightest around it.
Point Refine(const GreyImage& picture, Point guess, double side) {
    const int r = static_cast<int>(side * 0.85) + 2;
    const int xa = std::max(0, static_cast<int>(guess.x) - r), xb = std::min(picture.width - 1, static_cast<int>(guess.x) + r);
    const int ya = std::max(0, static_cast<int>(guess.y) - r), yb = std::min(picture.height - 1, static_cast<int>(guess.y) + r);
    int lo = 255, hi = 0;
    for (int y = ya; y <= yb; ++y) {
        for (int x = xa; x <= xb; ++x) lo = std::min<int>(lo, picture.at(x, y)), hi = std::max<int>(hi, picture.at(x, y));
    }
    const int cut = (lo + hi) / 2;
    double n = 0, sx = 0, sy = 0;
    for (int y = ya; y <= yb; ++y) {
        for (int x = xa; x <= xb; ++x) {
            if (picture.at(x, y) >= cut) continue;
            n += 1, sx += x, sy += y;
        }
    }
    return n > 0 ? Point{sx / n + 0.5, sy / n + 0.5} : guess;
}

}  // namespace

std::optional<Homography> Homography::Between(const std::array<Point, 4>& from, const std::array<Point, 4>& to) {
    std::array<std::array<double, 9>, 8> a{};
    for (int i = 0; i < 4; ++i) {
        const double x = from[i].x, y = from[i].y, u = to[i].x, v = to[i].y;
        a[2 * i] = {x, y, 1, 0, 0, 0, -u * x, -u * y, u};
        a[2 * i + 1] = {0, 0, 0, x, y, 1, -v * x, -v * y, v};
    }
    const auto h = Solve(a);
    if (!h) return std::nullopt;
    Homography out;
    for (int i = 0; i < 8; ++i) out.m_[i] = (*h)[i];
    out.m_[8] = 1;
    return out;
}

Point Homography::Map(Point p) const {
    const double w = m_[6] * p.x + m_[7] * p.y + m_[8];
    return {(m_[0] * p.x + m_[1] * p.y + m_[2]) / w, (m_[3] * p.x + m_[4] * p.y + m_[5]) / w};
}

std::variant<Squares, std::string> FindSquares(const GreyImage& picture) {
    if (picture.width < 200 || picture.height < 200) return std::string("图像太小，不是一页扫描的试卷");
    int factor = 1;
    const GreyImage small = Reduced(picture, factor);
    // Solid, roughly square blobs, big enough to be seen.
    std::vector<Blob> candidates;
    for (const Blob& b : DarkBlobs(small)) {
        const int bw = b.x1 - b.x0 + 1, bh = b.y1 - b.y0 + 1;
        if (b.area < 25 || bw < 5 || bh < 5) continue;
        if (std::max(bw, bh) > 1.7 * std::min(bw, bh) || b.area < 0.55 * bw * bh) continue;
        candidates.push_back(b);
    }
    std::sort(candidates.begin(), candidates.end(), [](const Blob& a, const Blob& b) { return a.area > b.area; });
    if (candidates.size() > 18) candidates.resize(18);
    // Four of similar size at the corners of a quadrilateral shaped as the page's squares are:
    // opposite sides alike, the short side about 0.68 of the long, the squares about 1/23 of
    // the short side. The largest such quadrilateral.
    const double shape = (paper::kSquareCentres[1].x - paper::kSquareCentres[0].x) /
                         (paper::kSquareCentres[3].y - paper::kSquareCentres[0].y);
    const double relative = paper::kSquare / (paper::kSquareCentres[1].x - paper::kSquareCentres[0].x);
    double best = 0;
    Squares found;
    const std::size_t n = candidates.size();
    for (std::size_t a = 0; a < n; ++a) {
        for (std::size_t b = a + 1; b < n; ++b) {
            for (std::size_t c = b + 1; c < n; ++c) {
                for (std::size_t d = c + 1; d < n; ++d) {
                    std::array<const Blob*, 4> q{&candidates[a], &candidates[b], &candidates[c], &candidates[d]};
                    double lo = 1e9, hi = 0, mean = 0;
                    for (const Blob* blob : q) lo = std::min(lo, blob->side()), hi = std::max(hi, blob->side()), mean += blob->side() / 4;
                    if (hi > 1.45 * lo) continue;
                    std::array<Point, 4> p;
                    Point centre{};
                    for (int i = 0; i < 4; ++i) {
                        p[i] = {q[i]->sx / q[i]->area, q[i]->sy / q[i]->area};
                        centre.x += p[i].x / 4, centre.y += p[i].y / 4;
                    }
                    std::sort(p.begin(), p.end(), [&](Point u, Point v) {
                        return std::atan2(u.y - centre.y, u.x - centre.x) < std::atan2(v.y - centre.y, v.x - centre.x);
                    });
                    const double s0 = Distance(p[0], p[1]), s1 = Distance(p[1], p[2]), s2 = Distance(p[2], p[3]), s3 = Distance(p[3], p[0]);
                    if (std::min(s0, s2) < 0.6 * std::max(s0, s2) || std::min(s1, s3) < 0.6 * std::max(s1, s3)) continue;
                    const double shortSide = std::min(s0 + s2, s1 + s3) / 2, longSide = std::max(s0 + s2, s1 + s3) / 2;
                    const double ratio = shortSide / longSide;
                    if (ratio < shape * 0.75 || ratio > shape * 1.25) continue;
                    const double size = mean / shortSide;
                    if (size < relative * 0.7 || size > relative * 1.4) continue;
                    // Convex: every turn the same way.
                    bool convex = true;
                    for (int i = 0; i < 4; ++i) {
                        const Point u = p[i], v = p[(i + 1) % 4], w = p[(i + 2) % 4];
                        convex = convex && (v.x - u.x) * (w.y - v.y) - (v.y - u.y) * (w.x - v.x) > 0;
                    }
                    if (!convex) continue;
                    const double area = shortSide * longSide;
                    if (area <= best) continue;
                    best = area;
                    for (int i = 0; i < 4; ++i) found.centres[i] = {(p[i].x + 0.5) * factor, (p[i].y + 0.5) * factor};
                    found.side = mean * factor;
                }
            }
        }
    }
    if (best == 0) {
        return std::string(candidates.size() < 4 ? "找不到试卷四角的黑色方块（也许有一角没有扫进去，或者不是本程序打印的可批改试卷）"
                                                  : "四角的黑色方块对不上（也许有一角没有扫进去，或者不是本程序打印的可批改试卷）");
    }
    for (Point& c : found.centres) c = Refine(picture, c, found.side);
    return found;
}

std::array<std::optional<Homography>, 2> PageMaps(const Squares& squares) {
    std::array<std::optional<Homography>, 2> maps;
    const auto& c = squares.centres;
    // The page's top side is its short one: it runs from c[k] to c[k + 1].
    const int first = Distance(c[0], c[1]) + Distance(c[2], c[3]) < Distance(c[1], c[2]) + Distance(c[3], c[0]) ? 0 : 1;
    for (int turn = 0; turn < 2; ++turn) {
        const int k = first + 2 * turn;
        const std::array<Point, 4> to{c[k % 4], c[(k + 1) % 4], c[(k + 2) % 4], c[(k + 3) % 4]};
        maps[turn] = Homography::Between(paper::kSquareCentres, to);
    }
    return maps;
}

GreyImage Straighten(const GreyImage& picture, const Homography& pageToPicture, double pixelsPerMm, Rect area) {
    GreyImage out(std::max(1, static_cast<int>(std::lround(area.width * pixelsPerMm))),
                  std::max(1, static_cast<int>(std::lround(area.height * pixelsPerMm))));
    for (int y = 0; y < out.height; ++y) {
        for (int x = 0; x < out.width; ++x) {
            const Point p = pageToPicture.Map({area.x + (x + 0.5) / pixelsPerMm, area.y + (y + 0.5) / pixelsPerMm});
            const double sx = p.x - 0.5, sy = p.y - 0.5;
            const int x0 = static_cast<int>(std::floor(sx)), y0 = static_cast<int>(std::floor(sy));
            if (x0 < 0 || y0 < 0 || x0 + 1 >= picture.width || y0 + 1 >= picture.height) continue;
            const double fx = sx - x0, fy = sy - y0;
            const double v = (1 - fy) * ((1 - fx) * picture.at(x0, y0) + fx * picture.at(x0 + 1, y0)) +
                             fy * ((1 - fx) * picture.at(x0, y0 + 1) + fx * picture.at(x0 + 1, y0 + 1));
            out.at(x, y) = static_cast<std::uint8_t>(std::lround(v));
        }
    }
    return out;
}

}  // namespace scan
