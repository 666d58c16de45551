// What a sheet's QR code carries: the whole sheet back from its bytes, small enough for a code
// a scanner reads at 200 dpi, and nothing taken for a sheet that is not one.
#include <gtest/gtest.h>

#include <random>
#include <regex>
#include <sstream>

#include "generator/BuildSheets.h"
#include "generator/RandomSource.h"
#include "generator/Utf.h"
#include "marking/SheetCode.h"

using marking::CodedSheet;

namespace {

pellarin::ClockReading StillClock() { return 1'000'000'000; }

// The problems of the first sheet of a run, as printed: every word ending in "=".
std::vector<std::string> GeneratedProblems(std::uint64_t seed, const std::u16string& difficulty) {
    pellarin::RandomSource source(seed, &StillClock);
    const auto run = pellarin::BuildSheets(source, 99, 1, difficulty);
    std::istringstream words(pellarin::ToUtf8(run.outputText));
    std::vector<std::string> problems;
    for (std::string word; words >> word;) {
        if (word.back() == '=') problems.push_back(word);
    }
    return problems;
}

// 228 bytes without a name, each character of a name or class three more: a QR code of level M
// about 35 mm wide at 0.5 mm a module, which a 200 dpi scan reads.
TEST(SheetCode, GeneratedSheetsComeBackWholeIn228BytesAndTheNames) {
    for (const std::u16string difficulty : {u"难", u"中", u"易"}) {
        for (std::uint64_t seed = 1; seed <= 20; ++seed) {
            const CodedSheet sheet{static_cast<int>(seed), "诸葛亮亮亮亮亮亮亮亮亮亮", "三年级二班",
                                   GeneratedProblems(seed, difficulty)};
            ASSERT_EQ(sheet.problems.size(), 100u);
            const auto bytes = marking::EncodeSheet(sheet);
            EXPECT_EQ(bytes.size(), 228u + sheet.name.size() + sheet.className.size()) << "seed " << seed;
            EXPECT_EQ(marking::DecodeSheet(bytes), sheet) << "seed " << seed;
        }
    }
    // A sheet without a list: no name, no class.
    const CodedSheet plain{40, "", "", GeneratedProblems(3, u"中")};
    EXPECT_EQ(marking::EncodeSheet(plain).size(), 228u);
    EXPECT_EQ(marking::DecodeSheet(marking::EncodeSheet(plain)), plain);
}

// A sheet edited in the box carries its problems as they stand, whatever they are.
TEST(SheetCode, EditedProblemsKeepTheirText) {
    const CodedSheet sheet{2, "Zoë", "",
                           {"37+8=", "045＋1=", "9＋9", "", "100－101＋7=", "200＋1=", "1＋2＋3＋4=", "５＋３=",
                            "12－7=", "0＋0="}};
    const auto decoded = marking::DecodeSheet(marking::EncodeSheet(sheet));
    ASSERT_TRUE(decoded);
    EXPECT_EQ(*decoded, sheet);
}

TEST(SheetCode, NothingElseIsTakenForASheet) {
    const CodedSheet sheet{7, "王小明", "三年级二班", GeneratedProblems(5, u"难")};
    const auto bytes = marking::EncodeSheet(sheet);
    // Another program's code, and a newer format.
    const std::string url = "https://example.com/P1";
    EXPECT_FALSE(marking::DecodeSheet(std::vector<std::uint8_t>(url.begin(), url.end())));
    EXPECT_FALSE(marking::DecodeSheet({}));
    auto newer = bytes;
    newer[1] = marking::kFormatVersion + 1;
    EXPECT_FALSE(marking::DecodeSheet(newer));
    // Every bit flipped, and every length cut short: never a sheet (a 16-bit check finds
    // every one-bit error).
    for (std::size_t bit = 0; bit < bytes.size() * 8; ++bit) {
        auto damaged = bytes;
        damaged[bit / 8] ^= static_cast<std::uint8_t>(1u << (bit % 8));
        ASSERT_FALSE(marking::DecodeSheet(damaged)) << "bit " << bit;
    }
    for (std::size_t size = 0; size < bytes.size(); ++size) {
        ASSERT_FALSE(marking::DecodeSheet(std::span(bytes).first(size))) << "cut at " << size;
    }
    // Random bytes behind a right header and check: read without a crash, the lengths inside
    // never trusted beyond the bytes there are.
    std::mt19937 random(20261209);
    for (int trial = 0; trial < 20000; ++trial) {
        std::vector<std::uint8_t> noise{'P', marking::kFormatVersion};
        const int size = static_cast<int>(random() % 300);
        for (int i = 0; i < size; ++i) noise.push_back(static_cast<std::uint8_t>(random()));
        // With a right check (CRC-16/CCITT) over the noise, so that the reading gets past it.
        std::vector<std::uint8_t> framed = noise;
        std::uint16_t crc = 0xFFFF;
        for (const std::uint8_t byte : framed) {
            crc ^= static_cast<std::uint16_t>(byte << 8);
            for (int i = 0; i < 8; ++i) crc = static_cast<std::uint16_t>(crc & 0x8000 ? (crc << 1) ^ 0x1021 : crc << 1);
        }
        framed.push_back(static_cast<std::uint8_t>(crc >> 8));
        framed.push_back(static_cast<std::uint8_t>(crc & 0xFF));
        if (const auto decoded = marking::DecodeSheet(framed)) {
            EXPECT_LE(decoded->problems.size(), framed.size() * 8);
        }
    }
}

TEST(SheetCode, AShortCodeForAPerson) {
    const CodedSheet first{1, "王小明", "", GeneratedProblems(1, u"中")};
    CodedSheet second = first;
    second.sheet = 2;
    const std::string a = marking::ShortCode(marking::EncodeSheet(first));
    const std::string b = marking::ShortCode(marking::EncodeSheet(second));
    EXPECT_TRUE(std::regex_match(a, std::regex("[0-9A-HJKMNP-TV-Z]{4}-[0-9A-HJKMNP-TV-Z]{4}"))) << a;
    EXPECT_NE(a, b);
    EXPECT_EQ(a, marking::ShortCode(marking::EncodeSheet(first)));
}

}  // namespace
