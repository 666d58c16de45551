// Test helper: the recogniser's probabilities for the first N digits of a digits file, one
// line each, for an independent computation of the same network to compare with.
// usage: classify_digits DIGITS.bin N
#include <array>
#include <cstdio>
#include <fstream>
#include <string>

#include "scan/DigitNet.h"

int main(int argc, char** argv) {
    if (argc < 3) return 2;
    std::ifstream in(argv[1], std::ios::binary);
    const int n = std::stoi(argv[2]);
    std::array<unsigned char, 785> record;
    for (int i = 0; i < n && in.read(reinterpret_cast<char*>(record.data()), record.size()); ++i) {
        std::array<float, 784> image;
        for (int j = 0; j < 784; ++j) image[j] = record[1 + j] / 255.0f;
        for (float p : scan::Classify(image)) std::printf("%.7g ", p);
        std::printf("\n");
    }
    return 0;
}
