#include "DigitNet.h"

#include <bit>
#include <cstdint>

#include <algorithm>
#include <cmath>
#include <vector>

namespace scan {
namespace {

using S = NetShape;

// Same-padded convolution of `in` (channels x side x side) into `out`, then ReLU. Each input
// plane is copied once into a zero border, so that the inner loops run along whole rows.
void Convolve(const float* in, int inChannels, int side, const float* w, const float* b, int outChannels, int k,
              float* out) {
    const int pad = k / 2, wide = side + 2 * pad;
    std::vector<float> padded(static_cast<std::size_t>(inChannels) * wide * wide, 0.0f);
    for (int c = 0; c < inChannels; ++c) {
        for (int y = 0; y < side; ++y) {
            std::copy(in + (c * side + y) * side, in + (c * side + y + 1) * side, &padded[(c * wide + y + pad) * wide + pad]);
        }
    }
    for (int o = 0; o < outChannels; ++o) {
        float* plane = out + o * side * side;
        std::fill(plane, plane + side * side, b[o]);
        for (int c = 0; c < inChannels; ++c) {
            const float* kernel = w + (o * inChannels + c) * k * k;
            const float* source = &padded[c * wide * wide];
            for (int ky = 0; ky < k; ++ky) {
                for (int kx = 0; kx < k; ++kx) {
                    const float weight = kernel[ky * k + kx];
                    for (int y = 0; y < side; ++y) {
                        const float* row = source + (y + ky) * wide + kx;
                        float* target = plane + y * side;
                        for (int x = 0; x < side; ++x) target[x] += weight * row[x];
                    }
                }
            }
        }
        for (int i = 0; i < side * side; ++i) plane[i] = std::max(plane[i], 0.0f);
    }
}

void Pool(const float* in, int channels, int side, float* out) {
    const int half = side / 2;
    for (int c = 0; c < channels; ++c) {
        for (int y = 0; y < half; ++y) {
            for (int x = 0; x < half; ++x) {
                const float* p = in + (c * side + 2 * y) * side + 2 * x;
                out[(c * half + y) * half + x] = std::max({p[0], p[1], p[side], p[side + 1]});
            }
        }
    }
}

}  // namespace

// The weights compiled in: the bytes of scan/digit-weights.bin (written by the trainer), 32-bit
// floats in little-endian order, read the same on every system.
extern const unsigned char kDigitWeightBytes[];
extern const std::size_t kDigitWeightByteCount;

std::span<const float> TrainedWeights() {
    static const std::vector<float> weights = [] {
        std::vector<float> w(kDigitWeightByteCount / 4);
        for (std::size_t i = 0; i < w.size(); ++i) {
            const unsigned char* b = kDigitWeightBytes + 4 * i;
            w[i] = std::bit_cast<float>(static_cast<std::uint32_t>(b[0]) | static_cast<std::uint32_t>(b[1]) << 8 |
                                        static_cast<std::uint32_t>(b[2]) << 16 | static_cast<std::uint32_t>(b[3]) << 24);
        }
        return w;
    }();
    return weights;
}

Probabilities Classify(std::span<const float, kSide * kSide> image, std::span<const float> weights) {
    // Weights of another shape of network read nothing: every answer goes to a person.
    if (weights.size() != S::kWeights) return {};
    const float* w = weights.data();
    std::vector<float> a1(S::kC1 * 28 * 28), p1(S::kC1 * 14 * 14), a2(S::kC2 * 14 * 14), p2(S::kFlat);
    Convolve(image.data(), 1, 28, w + S::kW1, w + S::kB1, S::kC1, S::kK1, a1.data());
    Pool(a1.data(), S::kC1, 28, p1.data());
    Convolve(p1.data(), S::kC1, 14, w + S::kW2, w + S::kB2, S::kC2, S::kK2, a2.data());
    Pool(a2.data(), S::kC2, 14, p2.data());
    std::array<float, S::kHidden> hidden{};
    for (int h = 0; h < S::kHidden; ++h) {
        float sum = w[S::kB3 + h];
        const float* row = w + S::kW3 + h * S::kFlat;
        for (int i = 0; i < S::kFlat; ++i) sum += row[i] * p2[i];
        hidden[h] = std::max(sum, 0.0f);
    }
    Probabilities out{};
    float top = -1e30f;
    for (int c = 0; c < kClasses; ++c) {
        float sum = w[S::kB4 + c];
        for (int h = 0; h < S::kHidden; ++h) sum += w[S::kW4 + c * S::kHidden + h] * hidden[h];
        out[c] = sum;
        top = std::max(top, sum);
    }
    float total = 0;
    for (float& v : out) total += (v = std::exp(v - top));
    for (float& v : out) v /= total;
    return out;
}

Probabilities Classify(std::span<const float, kSide * kSide> image) { return Classify(image, TrainedWeights()); }

}  // namespace scan
