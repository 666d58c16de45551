#include "NumberReading.h"

#include <charconv>
#include <cmath>
#include <limits>
#include <string>

namespace pellarin {
namespace {

constexpr bool IsBlank(char16_t c) { return c == u' ' || c == u'\t' || c == u'\r' || c == u'\n'; }
constexpr bool IsDigit(char16_t c) { return c >= u'0' && c <= u'9'; }

// Walks the text skipping blanks, the way the reader sees it.
class Cursor {
public:
    explicit Cursor(std::u16string_view text) : m_text(text) { SkipBlanks(); }
    char16_t Peek() const { return m_pos < m_text.size() ? m_text[m_pos] : u'\0'; }
    void Advance() {
        ++m_pos;
        SkipBlanks();
    }
    std::size_t Position() const { return m_pos; }
    void Rewind(std::size_t pos) { m_pos = pos; }

private:
    void SkipBlanks() {
        while (m_pos < m_text.size() && IsBlank(m_text[m_pos])) ++m_pos;
    }
    std::u16string_view m_text;
    std::size_t m_pos = 0;
};

}  // namespace

double ReadLeadingNumber(std::u16string_view text) {
    Cursor cursor(text);
    bool negative = false;
    if (cursor.Peek() == u'+' || cursor.Peek() == u'-') {
        negative = cursor.Peek() == u'-';
        cursor.Advance();
    }

    // Digits without leading zeros, and the decimal exponent of the last digit kept.
    std::string digits;
    long long scale = 0;
    bool sawDigit = false;
    for (; IsDigit(cursor.Peek()); cursor.Advance()) {
        sawDigit = true;
        if (!digits.empty() || cursor.Peek() != u'0') digits.push_back(static_cast<char>(cursor.Peek()));
    }
    if (cursor.Peek() == u'.') {
        cursor.Advance();
        for (; IsDigit(cursor.Peek()); cursor.Advance()) {
            sawDigit = true;
            if (!digits.empty() || cursor.Peek() != u'0') digits.push_back(static_cast<char>(cursor.Peek()));
            --scale;
        }
    }
    if (!sawDigit) return 0.0;

    long long exponent = 0;
    if (cursor.Peek() == u'e' || cursor.Peek() == u'E') {
        const std::size_t beforeExponent = cursor.Position();
        cursor.Advance();
        bool exponentNegative = false;
        if (cursor.Peek() == u'+' || cursor.Peek() == u'-') {
            exponentNegative = cursor.Peek() == u'-';
            cursor.Advance();
        }
        if (!IsDigit(cursor.Peek())) {
            cursor.Rewind(beforeExponent);  // "12e" is 12: the e cannot continue the number
        }
        for (; IsDigit(cursor.Peek()); cursor.Advance()) {
            // Far beyond any double either way; saturating keeps the sum below from overflowing.
            if (exponent < 100'000'000) exponent = exponent * 10 + (cursor.Peek() - u'0');
        }
        if (exponentNegative) exponent = -exponent;
    }
    if (digits.empty()) return negative ? -0.0 : 0.0;

    // Keep at most 800 significant digits: more cannot change a double's rounding in practice
    // and the text may be a pasted wall of digits.
    if (digits.size() > 800) {
        scale += static_cast<long long>(digits.size()) - 800;
        digits.resize(800);
    }
    const long long decimalExponent = exponent + scale;
    const long long magnitude = decimalExponent + static_cast<long long>(digits.size());
    if (magnitude > 400) return negative ? -std::numeric_limits<double>::infinity()
                                         : std::numeric_limits<double>::infinity();
    if (magnitude < -400) return negative ? -0.0 : 0.0;

    std::string literal = digits + 'e' + std::to_string(decimalExponent);
    double value = 0.0;
    const auto [end, error] = std::from_chars(literal.data(), literal.data() + literal.size(), value);
    (void)end;
    if (error == std::errc::result_out_of_range) {
        value = magnitude > 0 ? std::numeric_limits<double>::infinity() : 0.0;
    }
    return negative ? -value : value;
}

std::optional<std::int16_t> ToInt16HalfEven(double value) {
    if (!std::isfinite(value)) return std::nullopt;
    const double below = std::floor(value);
    const double fraction = value - below;
    double rounded = below;
    if (fraction > 0.5 || (fraction == 0.5 && std::fmod(below, 2.0) != 0.0)) rounded = below + 1.0;
    if (rounded < std::numeric_limits<std::int16_t>::min() || rounded > std::numeric_limits<std::int16_t>::max()) {
        return std::nullopt;
    }
    return static_cast<std::int16_t>(rounded);
}

}  // namespace pellarin
