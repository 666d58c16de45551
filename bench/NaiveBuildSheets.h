#pragma once

// The baseline of the benchmark: the generation run read literally, with draws through
// floating point, the layout spelt out by string concatenation, and the duplicate test
// comparing the candidate's text with up to 100 stored texts. A test also holds the real run
// to it: same stream, same text.

#include <array>
#include <cmath>
#include <string>

#include "generator/Difficulty.h"
#include "generator/RandomSource.h"

namespace pellarin::naive {

template <class Source>
int Operand(Source& s, int n) {
    const float u = static_cast<float>(s.Next24()) * 0x1p-24f;
    return static_cast<int>(std::floor(static_cast<double>(u) * n + 1.0));
}
template <class Source>
int Operator(Source& s) {
    const float u = static_cast<float>(s.Next24()) * 0x1p-24f;
    return static_cast<int>(std::floor(2.0 * u));
}

inline std::u16string Num(int v) {
    const std::string d = std::to_string(v);
    return {d.begin(), d.end()};
}
inline std::u16string Sign(int op) { return op == 0 ? u"＋" : u"－"; }
inline std::u16string Spaces(int n) { return std::u16string(n > 0 ? n : 0, u' '); }

inline bool Carry(int x, int op, int y) { return op == 0 ? x % 10 + y % 10 > 10 : x % 10 < y % 10; }

template <class Source>
std::u16string BuildSheets(Source& source, int limit, int sheets, std::u16string_view difficulty) {
    const auto d = ParseDifficulty(difficulty);
    std::u16string out;
    std::array<std::u16string, 101> list;
    for (int s = 1; s <= sheets && d; ++s) {
        for (int i = 1; i <= 100; ++i) {
            for (;;) {
                source.Reseed();
                std::u16string expr;
                if (i <= 80) {
                    const int a = Operand(source, limit), b = Operand(source, limit), op = Operator(source);
                    const int r = op == 0 ? a + b : a - b;
                    bool ok = r >= 7 && r <= limit;
                    if (*d != Difficulty::Medium) {
                        ok = ok && a >= 10 && b >= 11 && Carry(a, op, b) == (*d == Difficulty::Hard);
                    }
                    if (!ok) continue;
                    expr = Num(a) + Sign(op) + Num(b) + u"=";
                } else {
                    const int a = Operand(source, limit), b = Operand(source, limit), c = Operand(source, limit);
                    const int op1 = Operator(source), op2 = Operator(source);
                    const int r1 = op1 == 0 ? a + b : a - b;
                    const int r2 = op2 == 0 ? r1 + c : r1 - c;
                    bool ok;
                    if (*d == Difficulty::Medium) {
                        ok = r1 >= 0 && r1 <= limit && r2 >= 0 && r2 <= limit;
                    } else {
                        const bool hard = *d == Difficulty::Hard;
                        ok = a >= 11 && b >= 11 && c >= 11 && r1 >= 10 && r1 <= limit && r2 >= 10 &&
                             r2 <= limit && Carry(a, op1, b) == hard && Carry(r1, op2, c) == hard;
                    }
                    if (!ok) continue;
                    expr = Num(a) + Sign(op1) + Num(b) + Sign(op2) + Num(c) + u"=";
                }
                std::u16string text;
                const int len = static_cast<int>(expr.size());
                if (i <= 80) {
                    if (i % 5 == 0) {
                        text = expr + u"\r\n";
                    } else if (i == 1) {
                        text = Spaces(10) + u"100道口算题（100以内纯进位、退位）\r\n" +
                               u"班级:" + Spaces(9) + u"姓名:" + Spaces(10) + u"得分:" + Spaces(8) + u"用时:\r\n" +
                               expr + Spaces(4);
                    } else {
                        text = expr + Spaces(10 - len);
                    }
                } else {
                    text = i % 4 == 0 && i < 100 ? expr + u"\r\n" : expr + Spaces(12 - len);
                }
                bool duplicate = false;
                for (int k = i <= 80 ? 1 : 81; k <= 100 && !duplicate; ++k) duplicate = list[k] == text;
                if (duplicate) continue;
                list[i] = text;
                out += text;
                break;
            }
        }
    }
    return out;
}

}  // namespace pellarin::naive
