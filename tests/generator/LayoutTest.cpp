#include <gtest/gtest.h>

#include <vector>

#include "generator/SheetLayout.h"

namespace pellarin {
namespace {

constexpr auto kAdd = Op::Add;
constexpr auto kSub = Op::Sub;

TEST(SheetLayout, HeadingAndForms) {
    EXPECT_EQ(kTitle.size(), 20u);
    EXPECT_EQ(kSecondHeadingLine, std::u16string(u"班级:") + std::u16string(9, u' ') + u"姓名:" +
                                      std::u16string(10, u' ') + u"得分:" + std::u16string(8, u' ') + u"用时:");
    EXPECT_EQ(FormOf(1), LayoutForm::First);  // a multiple of 5 is tested first, 1 is not one
    EXPECT_EQ(FormOf(100), LayoutForm::ChainedPadded);  // the last text ends in spaces
    int counts[kLayoutFormCount] = {};
    for (int i = 1; i <= 100; ++i) ++counts[static_cast<int>(FormOf(i))];
    EXPECT_EQ(std::vector<int>(counts, counts + kLayoutFormCount), (std::vector<int>{1, 16, 63, 4, 16}));
}

TEST(SheetLayout, ProblemTextOfEachForm) {
    const std::u16string heading = std::u16string(10, u' ') + std::u16string(kTitle) + u"\r\n" +
                                   std::u16string(kSecondHeadingLine) + u"\r\n";
    EXPECT_EQ(ProblemText(1, TwoOperandProblem{45, kAdd, 38}), heading + u"45＋38=    ");
    // Position 1 gets exactly four spaces, whatever the width of its expression.
    EXPECT_EQ(ProblemText(1, TwoOperandProblem{5, kAdd, 3}), heading + u"5＋3=    ");
    EXPECT_EQ(ProblemText(5, TwoOperandProblem{52, kAdd, 39}), u"52＋39=\r\n");
    EXPECT_EQ(ProblemText(6, TwoOperandProblem{8, kAdd, 15}), u"8＋15=     ");
    EXPECT_EQ(ProblemText(7, TwoOperandProblem{6, kAdd, 9}), u"6＋9=      ");
    EXPECT_EQ(ProblemText(89, ChainedProblem{12, kAdd, 35, kSub, 20}), u"12＋35－20=   ");
    EXPECT_EQ(ProblemText(91, ChainedProblem{8, kAdd, 23, kAdd, 40}), u"8＋23＋40=    ");
    EXPECT_EQ(ProblemText(92, ChainedProblem{66, kSub, 30, kSub, 15}), u"66－30－15=\r\n");
    EXPECT_EQ(ProblemText(100, ChainedProblem{25, kAdd, 46, kSub, 38}), u"25＋46－38=   ");
    // Operands wider than a cell (limits above 99, never from the window) get no padding.
    EXPECT_EQ(ProblemText(2, TwoOperandProblem{12345, kSub, 12345}), u"12345－12345=");
    EXPECT_EQ(ProblemText(2, TwoOperandProblem{1234, kSub, 123}), u"1234－123= ");
}

}  // namespace
}  // namespace pellarin
