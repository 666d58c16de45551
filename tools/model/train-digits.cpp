// Trains the digit recogniser (see scan/DigitNet.h) and writes its weights as C++ source.
// Reproducible: the same data and seed give the same weights, byte for byte, whatever the
// machine's load (two threads, each always given the same half of every batch, their
// gradients summed in the same order).
//
// usage: train-digits DATA_DIR OUT.cpp [SEED]
//   DATA_DIR holds train.bin, heldout-mnist.bin and heldout-fonts.bin (prepare_digits.py).
#include <algorithm>
#include <array>
#include <cmath>
#include <cstdint>
#include <bit>
#include <cstdio>
#include <fstream>
#include <string>
#include <thread>
#include <vector>

#include "scan/DigitNet.h"
#include "scan/ReadPage.h"

namespace {

using S = scan::NetShape;
constexpr int kPixels = 28 * 28;
using Image = std::array<float, kPixels>;

struct Sample {
    int label;
    Image image;
};

std::vector<Sample> Load(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::vector<Sample> out;
    std::array<unsigned char, 1 + kPixels> record;
    while (in.read(reinterpret_cast<char*>(record.data()), record.size())) {
        Sample s{record[0], {}};
        for (int i = 0; i < kPixels; ++i) s.image[i] = record[1 + i] / 255.0f;
        out.push_back(s);
    }
    return out;
}

// splitmix64: the same numbers on every system and standard library.
struct Random {
    std::uint64_t state;
    std::uint64_t Next() {
        std::uint64_t z = (state += 0x9E3779B97F4A7C15ull);
        z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ull;
        z = (z ^ (z >> 27)) * 0x94D049BB133111EBull;
        return z ^ (z >> 31);
    }
    double Uniform(double lo, double hi) { return lo + (hi - lo) * (Next() >> 11) * (1.0 / 9007199254740992.0); }
    int Below(int n) { return static_cast<int>(Next() % static_cast<std::uint64_t>(n)); }
};

float At(const Image& img, double x, double y) {
    const int x0 = static_cast<int>(std::floor(x)), y0 = static_cast<int>(std::floor(y));
    const double fx = x - x0, fy = y - y0;
    auto px = [&](int xx, int yy) { return xx < 0 || yy < 0 || xx >= 28 || yy >= 28 ? 0.0f : img[yy * 28 + xx]; };
    return static_cast<float>((1 - fy) * ((1 - fx) * px(x0, y0) + fx * px(x0 + 1, y0)) +
                              fy * ((1 - fx) * px(x0, y0 + 1) + fx * px(x0 + 1, y0 + 1)));
}

// Thicker or thinner strokes, then an affine bend and an elastic one.
Image Augment(const Image& in, Random& r) {
    Image img = in;
    const double stroke = r.Uniform(0, 1);
    if (stroke < 0.25 || stroke > 0.85) {
        Image out{};
        for (int y = 0; y < 28; ++y) {
            for (int x = 0; x < 28; ++x) {
                float v = img[y * 28 + x];
                for (auto [dx, dy] : {std::pair{1, 0}, {-1, 0}, {0, 1}, {0, -1}}) {
                    const int xx = x + dx, yy = y + dy;
                    const float n = xx < 0 || yy < 0 || xx >= 28 || yy >= 28 ? 0.0f : img[yy * 28 + xx];
                    v = stroke < 0.25 ? std::max(v, n * 0.8f) : std::min(v, n);
                }
                out[y * 28 + x] = v;
            }
        }
        img = out;
    }
    if (r.Uniform(0, 1) < 0.3) {  // a soft pencil, a blurred scan
        Image out{};
        for (int y = 0; y < 28; ++y) {
            for (int x = 0; x < 28; ++x) {
                float sum = 0;
                for (int dy = -1; dy <= 1; ++dy) {
                    for (int dx = -1; dx <= 1; ++dx) {
                        const int xx = x + dx, yy = y + dy;
                        sum += (xx < 0 || yy < 0 || xx >= 28 || yy >= 28 ? 0.0f : img[yy * 28 + xx]) * (dx == 0 && dy == 0 ? 4 : dx == 0 || dy == 0 ? 2 : 1);
                    }
                }
                out[y * 28 + x] = std::min(1.0f, sum / 16 * 1.3f);
            }
        }
        img = out;
    }
    const double angle = r.Uniform(-0.2, 0.2), scale = r.Uniform(0.85, 1.12), aspect = r.Uniform(0.85, 1.15);
    const double shear = r.Uniform(-0.3, 0.3), tx = r.Uniform(-1.5, 1.5), ty = r.Uniform(-1.5, 1.5);
    // The inverse map, from each pixel of the result to where it comes from.
    const double c = std::cos(angle), s = std::sin(angle);
    const double a = c / (scale * aspect), b = (s + shear * c) / (scale * aspect);
    const double d = -s / (scale / aspect), e = (c - shear * s) / (scale / aspect);
    std::array<double, 25> gx{}, gy{};  // an elastic field on a 5 x 5 grid
    for (int i = 0; i < 25; ++i) gx[i] = r.Uniform(-1.3, 1.3), gy[i] = r.Uniform(-1.3, 1.3);
    Image out{};
    for (int y = 0; y < 28; ++y) {
        for (int x = 0; x < 28; ++x) {
            const double u = x / 27.0 * 4, v = y / 27.0 * 4;
            const int u0 = std::min(3, static_cast<int>(u)), v0 = std::min(3, static_cast<int>(v));
            const double fu = u - u0, fv = v - v0;
            auto lerp = [&](const std::array<double, 25>& g) {
                return (1 - fv) * ((1 - fu) * g[v0 * 5 + u0] + fu * g[v0 * 5 + u0 + 1]) +
                       fv * ((1 - fu) * g[(v0 + 1) * 5 + u0] + fu * g[(v0 + 1) * 5 + u0 + 1]);
            };
            const double px = x - 13.5 - tx, py = y - 13.5 - ty;
            out[y * 28 + x] = At(img, a * px + b * py + 13.5 + lerp(gx), d * px + e * py + 13.5 + lerp(gy));
        }
    }
    return out;
}

void Stroke(Image& img, double x0, double y0, double x1, double y1, double width) {
    const double dx = x1 - x0, dy = y1 - y0, length2 = dx * dx + dy * dy + 1e-9;
    for (int y = 0; y < 28; ++y) {
        for (int x = 0; x < 28; ++x) {
            const double t = std::clamp(((x - x0) * dx + (y - y0) * dy) / length2, 0.0, 1.0);
            const double ex = x0 + t * dx - x, ey = y0 + t * dy - y;
            const double ink = std::clamp(width / 2 + 0.5 - std::sqrt(ex * ex + ey * ey), 0.0, 1.0);
            img[y * 28 + x] = std::max(img[y * 28 + x], static_cast<float>(ink));
        }
    }
}

// Writing that is no digit for a person to read: a digit struck through or crossed out, a
// scribble.
Image NotADigit(const std::vector<Sample>& data, Random& r) {
    Image img = data[r.Below(static_cast<int>(data.size()))].image;
    // (Two digits written over each other are left to the network's own doubt: taught as a
    // class, they are too like two digits written close.)
    const int kind = r.Below(3);
    const double width = r.Uniform(1.6, 3.2);
    if (kind == 0) {  // struck through, edge to edge
        const double y0 = r.Uniform(4, 24), y1 = r.Uniform(4, 24);
        Stroke(img, 1, y0, 27, y1, width);
        if (r.Below(2)) Stroke(img, 1, r.Uniform(4, 24), 27, r.Uniform(4, 24), width);
    } else if (kind == 1) {  // an X over it
        Stroke(img, r.Uniform(2, 7), r.Uniform(2, 7), r.Uniform(21, 26), r.Uniform(21, 26), width);
        Stroke(img, r.Uniform(21, 26), r.Uniform(2, 7), r.Uniform(2, 7), r.Uniform(21, 26), width);
    } else {  // scribbled over
        img = {};
        double x = r.Uniform(4, 24), y = r.Uniform(4, 24);
        for (int i = 0, n = 6 + r.Below(8); i < n; ++i) {
            const double nx = r.Uniform(3, 25), ny = r.Uniform(3, 25);
            Stroke(img, x, y, nx, ny, width);
            x = nx, y = ny;
        }
    }
    return img;
}

// Digits as the reader sees them on a scanned sheet: 1 to 3 training digits written into a
// printed box in a child's size and spacing, the box blurred, sampled as coarsely as a 150 dpi
// scan and noisy, then found and cut into digits by the reader itself. Teaches the network
// the pieces of neighbours and the strokes that the reader's own cutting leaves.
std::vector<Sample> Harvest(const std::vector<Sample>& data, std::uint64_t seed, int boxes) {
    std::vector<Sample> out;
    const double s = scan::kPixelsPerMm;
    const scan::Rect box{3, 3, 14, 9};
    for (int b = 0; b < boxes; ++b) {
        Random r{seed ^ (0xB0C5ull << 32) ^ static_cast<std::uint64_t>(b) * 0x9E3779B97F4A7C15ull};
        const int count = 1 + r.Below(3);
        std::vector<const Sample*> digits;
        for (int i = 0; i < count; ++i) digits.push_back(&data[r.Below(static_cast<int>(data.size()))]);
        const double paper = r.Uniform(200, 250), ink = r.Uniform(15, 110);
        std::vector<double> page(20 * 8 * 15 * 8, paper);
        const int w = 160, h = 120;
        auto put = [&](int x, int y, double v) {
            if (x >= 0 && y >= 0 && x < w && y < h) page[y * w + x] = std::min(page[y * w + x], v);
        };
        // The printed frame, light grey.
        const int x0 = static_cast<int>(box.x * s), y0 = static_cast<int>(box.y * s);
        const int bw = static_cast<int>(box.width * s), bh = static_cast<int>(box.height * s);
        const double frame = paper * 0.6;
        for (int t = -1; t <= 1; ++t) {
            for (int x = x0; x <= x0 + bw; ++x) put(x, y0 + t, frame), put(x, y0 + bh + t, frame);
            for (int y = y0; y <= y0 + bh; ++y) put(x0 + t, y, frame), put(x0 + bw + t, y, frame);
        }
        // The digits, as a child spaces them.
        const double height = count < 3 ? r.Uniform(4.4, 6.8) : r.Uniform(4.0, 5.4);
        const double tile = height * s * 28 / 20, advance = height * s * r.Uniform(0.62, 0.9);
        const double cx = x0 + bw / 2.0 - advance * (count - 1) / 2 + r.Uniform(-4, 4), cy = y0 + bh / 2.0 + r.Uniform(-3, 3);
        for (int i = 0; i < count; ++i) {
            const Image img = Augment(digits[i]->image, r);
            const double left = cx + i * advance - tile / 2 + r.Uniform(-2, 2), top = cy - tile / 2;
            for (int y = 0; y < static_cast<int>(tile); ++y) {
                for (int x = 0; x < static_cast<int>(tile); ++x) {
                    const double a = At(img, x * 28 / tile - 0.5, y * 28 / tile - 0.5);
                    if (a > 0.02) put(static_cast<int>(left) + x, static_cast<int>(top) + y, paper - (paper - ink) * a);
                }
            }
        }
        // A scan's softness and coarseness, and its noise.
        const int step = r.Below(3) == 0 ? 2 : 1;
        scan::GreyImage picture(w, h);
        for (int y = 0; y < h; ++y) {
            for (int x = 0; x < w; ++x) {
                double sum = 0;
                int n = 0;
                const int bx = x / step * step, by = y / step * step;
                for (int dy = -1; dy <= step; ++dy) {
                    for (int dx = -1; dx <= step; ++dx) {
                        const int xx = bx + dx, yy = by + dy;
                        if (xx >= 0 && yy >= 0 && xx < w && yy < h) sum += page[yy * w + xx], ++n;
                    }
                }
                const double soft = r.Uniform(0, 1) < 0.5 ? sum / n : page[y * w + x];
                picture.at(x, y) = static_cast<std::uint8_t>(std::clamp(soft + r.Uniform(-6, 6), 0.0, 255.0));
            }
        }
        scan::CutDigits cut;
        cut.count = static_cast<std::size_t>(count);
        scan::ReadBox(picture, box, cut.count, {}, 1.0, &cut);
        if (cut.images.size() != cut.count) continue;
        for (int i = 0; i < count; ++i) {
            Sample sample{digits[i]->label, {}};
            std::copy(cut.images[i].begin(), cut.images[i].end(), sample.image.begin());
            out.push_back(sample);
        }
    }
    return out;
}

// Forward and backward through the network for one sample, adding to `grad`. Returns the loss.
double Learn(const std::vector<float>& w, const Image& image, int label, std::vector<double>& grad) {
    constexpr int C1 = S::kC1, K1 = S::kK1, C2 = S::kC2, K2 = S::kK2, H = S::kHidden, F = S::kFlat;
    std::vector<float> a1(C1 * 784), p1(C1 * 196), a2(C2 * 196), p2(F);
    std::vector<int> arg1(C1 * 196), arg2(F);
    for (int o = 0; o < C1; ++o) {
        for (int y = 0; y < 28; ++y) {
            for (int x = 0; x < 28; ++x) {
                float sum = w[S::kB1 + o];
                for (int ky = 0; ky < K1; ++ky) {
                    for (int kx = 0; kx < K1; ++kx) {
                        const int sy = y + ky - 2, sx = x + kx - 2;
                        if (sy >= 0 && sy < 28 && sx >= 0 && sx < 28) sum += w[S::kW1 + o * 25 + ky * 5 + kx] * image[sy * 28 + sx];
                    }
                }
                a1[o * 784 + y * 28 + x] = std::max(sum, 0.0f);
            }
        }
    }
    auto pool = [](const std::vector<float>& in, int channels, int side, std::vector<float>& out, std::vector<int>& arg) {
        const int half = side / 2;
        for (int c = 0; c < channels; ++c) {
            for (int y = 0; y < half; ++y) {
                for (int x = 0; x < half; ++x) {
                    int best = (c * side + 2 * y) * side + 2 * x;
                    for (int i : {best + 1, best + side, best + side + 1}) {
                        if (in[i] > in[best]) best = i;
                    }
                    out[(c * half + y) * half + x] = in[best];
                    arg[(c * half + y) * half + x] = best;
                }
            }
        }
    };
    pool(a1, C1, 28, p1, arg1);
    for (int o = 0; o < C2; ++o) {
        for (int y = 0; y < 14; ++y) {
            for (int x = 0; x < 14; ++x) {
                float sum = w[S::kB2 + o];
                for (int c = 0; c < C1; ++c) {
                    for (int ky = 0; ky < K2; ++ky) {
                        for (int kx = 0; kx < K2; ++kx) {
                            const int sy = y + ky - 1, sx = x + kx - 1;
                            if (sy >= 0 && sy < 14 && sx >= 0 && sx < 14) {
                                sum += w[S::kW2 + ((o * C1 + c) * K2 + ky) * K2 + kx] * p1[c * 196 + sy * 14 + sx];
                            }
                        }
                    }
                }
                a2[o * 196 + y * 14 + x] = std::max(sum, 0.0f);
            }
        }
    }
    pool(a2, C2, 14, p2, arg2);
    std::array<float, H> hidden{};
    for (int h = 0; h < H; ++h) {
        float sum = w[S::kB3 + h];
        for (int i = 0; i < F; ++i) sum += w[S::kW3 + h * F + i] * p2[i];
        hidden[h] = std::max(sum, 0.0f);
    }
    std::array<double, scan::kClasses> out{};
    double top = -1e30;
    for (int c = 0; c < scan::kClasses; ++c) {
        double sum = w[S::kB4 + c];
        for (int h = 0; h < H; ++h) sum += w[S::kW4 + c * H + h] * hidden[h];
        out[c] = sum;
        top = std::max(top, sum);
    }
    double total = 0;
    for (double& v : out) total += (v = std::exp(v - top));
    for (double& v : out) v /= total;
    const double loss = -std::log(std::max(out[label], 1e-12));

    // Backward.
    std::array<double, scan::kClasses> dOut{};
    for (int c = 0; c < scan::kClasses; ++c) dOut[c] = out[c] - (c == label ? 1 : 0);
    std::array<double, H> dHidden{};
    for (int c = 0; c < scan::kClasses; ++c) {
        grad[S::kB4 + c] += dOut[c];
        for (int h = 0; h < H; ++h) {
            grad[S::kW4 + c * H + h] += dOut[c] * hidden[h];
            dHidden[h] += dOut[c] * w[S::kW4 + c * H + h];
        }
    }
    std::vector<double> dP2(F, 0.0);
    for (int h = 0; h < H; ++h) {
        if (hidden[h] <= 0) continue;
        grad[S::kB3 + h] += dHidden[h];
        for (int i = 0; i < F; ++i) {
            grad[S::kW3 + h * F + i] += dHidden[h] * p2[i];
            dP2[i] += dHidden[h] * w[S::kW3 + h * F + i];
        }
    }
    std::vector<double> dA2(C2 * 196, 0.0);
    for (int i = 0; i < F; ++i) {
        if (a2[arg2[i]] > 0) dA2[arg2[i]] += dP2[i];
    }
    std::vector<double> dP1(C1 * 196, 0.0);
    for (int o = 0; o < C2; ++o) {
        for (int y = 0; y < 14; ++y) {
            for (int x = 0; x < 14; ++x) {
                const double g = dA2[o * 196 + y * 14 + x];
                if (g == 0) continue;
                grad[S::kB2 + o] += g;
                for (int c = 0; c < C1; ++c) {
                    for (int ky = 0; ky < K2; ++ky) {
                        for (int kx = 0; kx < K2; ++kx) {
                            const int sy = y + ky - 1, sx = x + kx - 1;
                            if (sy < 0 || sy >= 14 || sx < 0 || sx >= 14) continue;
                            const std::size_t wi = S::kW2 + ((o * C1 + c) * K2 + ky) * K2 + kx;
                            grad[wi] += g * p1[c * 196 + sy * 14 + sx];
                            dP1[c * 196 + sy * 14 + sx] += g * w[wi];
                        }
                    }
                }
            }
        }
    }
    std::vector<double> dA1(C1 * 784, 0.0);
    for (int i = 0; i < C1 * 196; ++i) {
        if (a1[arg1[i]] > 0) dA1[arg1[i]] += dP1[i];
    }
    for (int o = 0; o < C1; ++o) {
        for (int y = 0; y < 28; ++y) {
            for (int x = 0; x < 28; ++x) {
                const double g = dA1[o * 784 + y * 28 + x];
                if (g == 0) continue;
                grad[S::kB1 + o] += g;
                for (int ky = 0; ky < K1; ++ky) {
                    for (int kx = 0; kx < K1; ++kx) {
                        const int sy = y + ky - 2, sx = x + kx - 2;
                        if (sy >= 0 && sy < 28 && sx >= 0 && sx < 28) grad[S::kW1 + o * 25 + ky * 5 + kx] += g * image[sy * 28 + sx];
                    }
                }
            }
        }
    }
    return loss;
}

void Measure(const char* name, const std::vector<Sample>& data, const std::vector<float>& w) {
    std::array<int, 10> right{}, all{};
    for (const Sample& s : data) {
        const scan::Probabilities p = scan::Classify(std::span<const float, kPixels>(s.image), w);
        const int best = static_cast<int>(std::max_element(p.begin(), p.end()) - p.begin());
        ++all[s.label];
        right[s.label] += best == s.label;
    }
    int r = 0, n = 0;
    std::printf("%s:", name);
    for (int d = 0; d < 10; ++d) {
        std::printf(" %d %.1f%%", d, 100.0 * right[d] / std::max(all[d], 1));
        r += right[d], n += all[d];
    }
    std::printf("  all %.2f%% of %d\n", 100.0 * r / std::max(n, 1), n);
}

}  // namespace

int main(int argc, char** argv) {
    if (argc < 3) {
        std::fprintf(stderr, "usage: train-digits DATA_DIR OUT.cpp [SEED]\n");
        return 2;
    }
    const std::string dir = argv[1];
    const std::uint64_t seed = argc > 3 ? std::stoull(argv[3]) : 20261209;
    const std::vector<Sample> train = Load(dir + "/train.bin");
    const std::vector<Sample> mnist = Load(dir + "/heldout-mnist.bin"), fonts = Load(dir + "/heldout-fonts.bin");
    if (train.empty()) {
        std::fprintf(stderr, "train-digits: no training digits in %s\n", dir.c_str());
        return 1;
    }
    // Digits as the reader cuts them from scanned boxes: half the digits each epoch sees.
    std::vector<Sample> harvested;
    {
        std::vector<std::vector<Sample>> parts(2);
        std::thread other([&] { parts[1] = Harvest(train, seed + 1, 7000); });
        parts[0] = Harvest(train, seed, 7000);
        other.join();
        for (auto& part : parts) harvested.insert(harvested.end(), part.begin(), part.end());
    }
    std::printf("%zu digits cut from synthetic boxes\n", harvested.size());
    Random random{seed};
    std::vector<float> w(S::kWeights);
    // He initialisation.
    auto init = [&](std::size_t from, std::size_t count, int fanIn) {
        const double bound = std::sqrt(6.0 / fanIn);
        for (std::size_t i = 0; i < count; ++i) w[from + i] = static_cast<float>(random.Uniform(-bound, bound));
    };
    init(S::kW1, S::kB1 - S::kW1, S::kK1 * S::kK1);
    init(S::kW2, S::kB2 - S::kW2, S::kC1 * S::kK2 * S::kK2);
    init(S::kW3, S::kB3 - S::kW3, S::kFlat);
    init(S::kW4, S::kB4 - S::kW4, S::kHidden);
    std::vector<double> velocity(S::kWeights, 0.0);
    constexpr int kBatch = 64, kEpochs = 20;
    std::vector<int> order(train.size());
    for (std::size_t i = 0; i < order.size(); ++i) order[i] = static_cast<int>(i);
    for (int epoch = 0; epoch < kEpochs; ++epoch) {
        for (std::size_t i = order.size() - 1; i > 0; --i) std::swap(order[i], order[random.Below(static_cast<int>(i + 1))]);
        const double rate = 0.02 * std::pow(0.84, epoch);
        double lossSum = 0;
        for (std::size_t start = 0; start + kBatch <= order.size(); start += kBatch) {
            std::array<std::vector<double>, 2> grads{std::vector<double>(S::kWeights), std::vector<double>(S::kWeights)};
            std::array<double, 2> losses{};
            auto half = [&](int t) {
                for (int k = t * kBatch / 2; k < (t + 1) * kBatch / 2; ++k) {
                    Random own{seed ^ (static_cast<std::uint64_t>(epoch) << 40) ^ (start + k) * 0x9E3779B97F4A7C15ull};
                    // One in ten is writing that is no digit; four in ten digits cut from boxes.
                    if (k % 10 == 9) {
                        losses[t] += Learn(w, Augment(NotADigit(train, own), own), scan::kNotADigit, grads[t]);
                    } else if (k % 10 < 4) {
                        const Sample& s = harvested[own.Below(static_cast<int>(harvested.size()))];
                        losses[t] += Learn(w, s.image, s.label, grads[t]);
                    } else {
                        const Sample& s = train[order[start + k]];
                        losses[t] += Learn(w, Augment(s.image, own), s.label, grads[t]);
                    }
                }
            };
            std::thread other(half, 1);
            half(0);
            other.join();
            lossSum += losses[0] + losses[1];
            for (std::size_t i = 0; i < w.size(); ++i) {
                velocity[i] = 0.9 * velocity[i] - rate * (grads[0][i] + grads[1][i]) / kBatch;
                w[i] += static_cast<float>(velocity[i]);
            }
        }
        std::printf("epoch %d: loss %.4f\n", epoch + 1, lossSum / order.size());
        std::fflush(stdout);
    }
    Measure("held-out MNIST", mnist, w);
    Measure("held-out fonts", fonts, w);

    // 32-bit floats in little-endian order, whatever this machine's order (scan/DigitNet.cpp
    // reads them so); the seed is the file's only history.
    std::FILE* out = std::fopen(argv[2], "wb");
    if (!out) {
        std::perror(argv[2]);
        return 1;
    }
    std::printf("seed %llu\n", static_cast<unsigned long long>(seed));
    for (const float weight : w) {
        const auto bits = std::bit_cast<std::uint32_t>(weight);
        const unsigned char bytes[4] = {static_cast<unsigned char>(bits), static_cast<unsigned char>(bits >> 8),
                                        static_cast<unsigned char>(bits >> 16), static_cast<unsigned char>(bits >> 24)};
        std::fwrite(bytes, 1, 4, out);
    }
    return std::fclose(out) == 0 ? 0 : 1;
}
