#include "SheetCode.h"

#include <array>
#include <string_view>

#include "generator/SheetLayout.h"

namespace marking {
namespace {

constexpr std::uint8_t kMark = 'P';
// The signs as printed, UTF-8.
constexpr std::string_view kPlus = "\xEF\xBC\x8B";   // ＋
constexpr std::string_view kMinus = "\xEF\xBC\x8D";  // －
// Each problem begins with one bit: 1 when it has the form its place on the sheet has (two
// operands in the first 80 places, three in the last 20); else 0 and a two-bit kind.
enum Kind : unsigned { TwoOperand = 0, Chained = 1, Text = 2 };
Kind KindOfPlace(std::size_t index) {
    return index < static_cast<std::size_t>(pellarin::kTwoOperandPositions) ? TwoOperand : Chained;
}
constexpr unsigned kOperandBits = 7;  // operands 0..127

class BitWriter {
public:
    void Put(unsigned value, unsigned bits) {
        for (unsigned i = bits; i-- > 0;) {
            if (m_used == 0) m_bytes.push_back(0);
            if ((value >> i) & 1u) m_bytes.back() |= static_cast<std::uint8_t>(0x80u >> m_used);
            m_used = (m_used + 1) % 8;
        }
    }
    std::vector<std::uint8_t>& bytes() { return m_bytes; }

private:
    std::vector<std::uint8_t> m_bytes;
    unsigned m_used = 0;  // bits of the last byte in use
};

class BitReader {
public:
    explicit BitReader(std::span<const std::uint8_t> bytes) : m_bytes(bytes) {}
    std::optional<unsigned> Get(unsigned bits) {
        if (m_position + bits > m_bytes.size() * 8) return std::nullopt;
        unsigned value = 0;
        for (unsigned i = 0; i < bits; ++i, ++m_position) {
            value = (value << 1) | ((m_bytes[m_position / 8] >> (7 - m_position % 8)) & 1u);
        }
        return value;
    }
    // To the next whole byte; where the reading stands, in bytes.
    std::size_t Align() {
        m_position = (m_position + 7) / 8 * 8;
        return m_position / 8;
    }

private:
    std::span<const std::uint8_t> m_bytes;
    std::size_t m_position = 0;
};

void PutVarint(std::vector<std::uint8_t>& out, std::uint64_t value) {
    do {
        std::uint8_t byte = value & 0x7F;
        value >>= 7;
        if (value) byte |= 0x80;
        out.push_back(byte);
    } while (value);
}

std::optional<std::uint64_t> GetVarint(std::span<const std::uint8_t> bytes, std::size_t& at) {
    std::uint64_t value = 0;
    for (unsigned shift = 0; shift < 64 && at < bytes.size(); shift += 7) {
        const std::uint8_t byte = bytes[at++];
        value |= static_cast<std::uint64_t>(byte & 0x7F) << shift;
        if (!(byte & 0x80)) return value;
    }
    return std::nullopt;
}

// CRC-16/CCITT-FALSE.
std::uint16_t Crc16(std::span<const std::uint8_t> bytes) {
    std::uint16_t crc = 0xFFFF;
    for (const std::uint8_t byte : bytes) {
        crc ^= static_cast<std::uint16_t>(byte << 8);
        for (int i = 0; i < 8; ++i) crc = static_cast<std::uint16_t>(crc & 0x8000 ? (crc << 1) ^ 0x1021 : crc << 1);
    }
    return crc;
}

// A problem in the generator's forms: two or three operands of at most 127, full-width signs,
// "=" at the end, nothing else. Its operands and signs (true for ＋).
struct Parsed {
    std::vector<unsigned> operands;
    std::vector<bool> plus;
};

std::optional<Parsed> Parse(std::string_view text) {
    Parsed parsed;
    std::size_t i = 0;
    while (true) {
        std::size_t digits = 0;
        unsigned value = 0;
        while (i < text.size() && text[i] >= '0' && text[i] <= '9' && digits < 4) {
            value = value * 10 + static_cast<unsigned>(text[i] - '0');
            ++i;
            ++digits;
        }
        // A leading zero would not come back as printed.
        if (digits == 0 || value >= (1u << kOperandBits) || (digits > 1 && text[i - digits] == '0')) return std::nullopt;
        parsed.operands.push_back(value);
        if (text.substr(i) == "=") break;
        if (text.substr(i, kPlus.size()) == kPlus) parsed.plus.push_back(true);
        else if (text.substr(i, kMinus.size()) == kMinus) parsed.plus.push_back(false);
        else return std::nullopt;
        i += kPlus.size();
        if (parsed.operands.size() == 3) return std::nullopt;
    }
    if (parsed.operands.size() < 2) return std::nullopt;
    return parsed;
}

std::string Printed(const std::vector<unsigned>& operands, const std::vector<bool>& plus) {
    std::string text = std::to_string(operands[0]);
    for (std::size_t k = 0; k < plus.size(); ++k) {
        text += plus[k] ? kPlus : kMinus;
        text += std::to_string(operands[k + 1]);
    }
    return text + "=";
}

void PutText(std::vector<std::uint8_t>& out, const std::string& text) {
    PutVarint(out, text.size());
    out.insert(out.end(), text.begin(), text.end());
}

std::optional<std::string> GetText(std::span<const std::uint8_t> bytes, std::size_t& at) {
    const auto size = GetVarint(bytes, at);
    if (!size || *size > bytes.size() - at) return std::nullopt;
    std::string text(bytes.begin() + static_cast<std::ptrdiff_t>(at), bytes.begin() + static_cast<std::ptrdiff_t>(at + *size));
    at += *size;
    return text;
}

}  // namespace

std::vector<std::uint8_t> EncodeSheet(const CodedSheet& sheet) {
    std::vector<std::uint8_t> out{kMark, kFormatVersion};
    PutVarint(out, static_cast<std::uint64_t>(sheet.sheet < 0 ? 0 : sheet.sheet));
    PutText(out, sheet.name);
    PutText(out, sheet.className);
    PutVarint(out, sheet.problems.size());
    // The texts of problems in no form of the generator's follow the bits, in order.
    BitWriter bits;
    std::vector<const std::string*> texts;
    for (std::size_t index = 0; index < sheet.problems.size(); ++index) {
        const std::string& problem = sheet.problems[index];
        const auto parsed = Parse(problem);
        const Kind kind = !parsed ? Text : parsed->operands.size() == 2 ? TwoOperand : Chained;
        if (kind == KindOfPlace(index)) {
            bits.Put(1, 1);
        } else {
            bits.Put(0, 1);
            bits.Put(kind, 2);
        }
        if (kind == Text) {
            texts.push_back(&problem);
            continue;
        }
        for (std::size_t k = 0; k < parsed->operands.size(); ++k) {
            if (k > 0) bits.Put(parsed->plus[k - 1] ? 1 : 0, 1);
            bits.Put(parsed->operands[k], kOperandBits);
        }
    }
    out.insert(out.end(), bits.bytes().begin(), bits.bytes().end());
    for (const std::string* text : texts) PutText(out, *text);
    const std::uint16_t crc = Crc16(out);
    out.push_back(static_cast<std::uint8_t>(crc >> 8));
    out.push_back(static_cast<std::uint8_t>(crc & 0xFF));
    return out;
}

std::optional<CodedSheet> DecodeSheet(std::span<const std::uint8_t> bytes) {
    if (bytes.size() < 4 || bytes[0] != kMark || bytes[1] != kFormatVersion) return std::nullopt;
    const auto body = bytes.first(bytes.size() - 2);
    if (Crc16(body) != ((bytes[bytes.size() - 2] << 8) | bytes[bytes.size() - 1])) return std::nullopt;
    CodedSheet sheet;
    std::size_t at = 2;
    const auto number = GetVarint(body, at);
    auto name = GetText(body, at);
    auto className = name ? GetText(body, at) : std::nullopt;
    const auto count = className ? GetVarint(body, at) : std::nullopt;
    // Every problem takes at least a bit.
    if (!number || *number > 1'000'000 || !count || *count > (body.size() - at) * 8) return std::nullopt;
    sheet.sheet = static_cast<int>(*number);
    sheet.name = std::move(*name);
    sheet.className = std::move(*className);
    BitReader bits(body.subspan(at));
    std::vector<std::size_t> textAt;  // problems whose texts follow the bits
    for (std::uint64_t p = 0; p < *count; ++p) {
        const auto inPlace = bits.Get(1);
        if (!inPlace) return std::nullopt;
        const auto kind = *inPlace ? std::optional<unsigned>(KindOfPlace(p)) : bits.Get(2);
        if (!kind || *kind > Text) return std::nullopt;
        if (*kind == Text) {
            textAt.push_back(sheet.problems.size());
            sheet.problems.emplace_back();
            continue;
        }
        std::vector<unsigned> operands;
        std::vector<bool> plus;
        for (unsigned k = 0; k < (*kind == TwoOperand ? 2u : 3u); ++k) {
            if (k > 0) {
                const auto sign = bits.Get(1);
                if (!sign) return std::nullopt;
                plus.push_back(*sign == 1);
            }
            const auto operand = bits.Get(kOperandBits);
            if (!operand) return std::nullopt;
            operands.push_back(*operand);
        }
        sheet.problems.push_back(Printed(operands, plus));
    }
    at += bits.Align();
    for (const std::size_t index : textAt) {
        auto text = GetText(body, at);
        if (!text) return std::nullopt;
        sheet.problems[index] = std::move(*text);
    }
    if (at != body.size()) return std::nullopt;
    return sheet;
}

std::string ShortCode(std::span<const std::uint8_t> bytes) {
    // FNV-1a, 64 bits, of which 40 make eight letters of Crockford's base 32.
    std::uint64_t hash = 0xCBF29CE484222325ULL;
    for (const std::uint8_t byte : bytes) hash = (hash ^ byte) * 0x100000001B3ULL;
    static constexpr std::string_view kLetters = "0123456789ABCDEFGHJKMNPQRSTVWXYZ";
    std::string code;
    for (int i = 0; i < 8; ++i) {
        if (i == 4) code += '-';
        code += kLetters[(hash >> (59 - 5 * i)) & 0x1F];
    }
    return code;
}

}  // namespace marking
