#pragma once

#include <array>
#include <cstddef>
#include <span>

// The recogniser of a child's handwritten digits: a small convolutional network over a 28 x 28
// grey image (ink 1, paper 0) with the digit centred by its centre of mass in the middle
// 20 x 20, as MNIST lays its digits out. Eleven classes: the digits 0 to 9, and "not a digit"
// (a crossed-out digit, two written over each other, a scribble), which goes to a person.
namespace scan {

inline constexpr int kSide = 28;
inline constexpr int kClasses = 11;
inline constexpr int kNotADigit = 10;

// The layers, in the order their weights are stored: conv 5x5 1->12 (same padding), ReLU,
// max-pool 2; conv 3x3 12->24 (same padding), ReLU, max-pool 2; dense 1176->96, ReLU;
// dense 96->11, softmax.
struct NetShape {
    static constexpr int kC1 = 12, kK1 = 5, kC2 = 24, kK2 = 3, kHidden = 96;
    static constexpr int kFlat = kC2 * 7 * 7;
    static constexpr std::size_t kW1 = 0, kB1 = kW1 + kC1 * kK1 * kK1;
    static constexpr std::size_t kW2 = kB1 + kC1, kB2 = kW2 + kC2 * kC1 * kK2 * kK2;
    static constexpr std::size_t kW3 = kB2 + kC2, kB3 = kW3 + kHidden * kFlat;
    static constexpr std::size_t kW4 = kB3 + kHidden, kB4 = kW4 + kClasses * kHidden;
    static constexpr std::size_t kWeights = kB4 + kClasses;
};

using Probabilities = std::array<float, kClasses>;

// The class probabilities of one image under the given weights.
Probabilities Classify(std::span<const float, kSide * kSide> image, std::span<const float> weights);

// The same under the weights compiled into the program.
Probabilities Classify(std::span<const float, kSide * kSide> image);

// The weights compiled into the program (NetShape::kWeights of them).
std::span<const float> TrainedWeights();

}  // namespace scan
