// Where things are on a sheet printed ready for marking, and the results a child writes.
#include <gtest/gtest.h>

#include "marking/PaperLayout.h"
#include "marking/ProblemValue.h"

namespace paper = marking::paper;

namespace {

bool Overlap(const paper::Rect& a, const paper::Rect& b) {
    return a.x < b.x + b.width && b.x < a.x + a.width && a.y < b.y + b.height && b.y < a.y + a.height;
}

paper::Rect Square(int corner) {
    const paper::Point c = paper::kSquareCentres[corner];
    return {c.x - paper::kSquare / 2, c.y - paper::kSquare / 2, paper::kSquare, paper::kSquare};
}

}  // namespace

// Boxes a child writes three digits in, in reading order, none touching another, a square,
// the code, or the widest problem of its place; everything at least 10 mm inside the page.
TEST(PaperLayout, EveryBoxHasRoomAndKeepsClearOfEverythingElse) {
    for (int i = 0; i < paper::kProblems; ++i) {
        const paper::Rect box = paper::AnswerBox(i);
        EXPECT_GE(box.width, 14);
        EXPECT_GE(box.height, 8);
        EXPECT_GE(box.x, paper::kSquareInset);
        EXPECT_LE(box.x + box.width, paper::kPageWidth - paper::kSquareInset);
        for (int j = 0; j < i; ++j) EXPECT_FALSE(Overlap(box, paper::AnswerBox(j))) << i << " meets " << j;
        for (int corner = 0; corner < 4; ++corner) EXPECT_FALSE(Overlap(box, Square(corner)));
        EXPECT_FALSE(Overlap(box, paper::kCodeArea)) << i;
        // Reading order: along the row, then down.
        if (i > 0) {
            const paper::Rect before = paper::AnswerBox(i - 1);
            EXPECT_TRUE(box.y > before.y || (box.y == before.y && box.x > before.x)) << i;
        }
        // "99－99=" is 7 columns and "99－99＋99=" 10 of the 15-point type: both fit before the box.
        const double columns = i < paper::kTwoOperandRows * paper::kTwoOperandColumns ? 7 : 10;
        const paper::ProblemPlace place = paper::ProblemAt(i);
        EXPECT_GE(place.room, columns * 7.5 * 25.4 / 72) << i;
        EXPECT_LE(place.x + place.room, box.x);
    }
    for (int corner = 0; corner < 4; ++corner) {
        EXPECT_FALSE(Overlap(paper::kCodeArea, Square(corner)));
        const paper::Rect s = Square(corner);
        EXPECT_GE(std::min({s.x, s.y, paper::kPageWidth - s.x - s.width, paper::kPageHeight - s.y - s.height}), 10);
    }
}

TEST(ProblemValue, ResultsAsAChildWritesThem) {
    EXPECT_EQ(marking::WritableResult("52－18＋21="), 55);
    EXPECT_EQ(marking::WritableResult("37+8="), 45);
    EXPECT_EQ(marking::WritableResult("0＋0="), 0);
    EXPECT_EQ(marking::WritableResult("900＋99="), 999);
    // Nothing to write in a box of three digits.
    for (const char* cell : {"5－9=", "999＋1=", "12＋3", "12＋＋3=", "=", "", "abc", "1＋2＋3＋4=", "12×3=",
                             "1234567890＋1=", "12＋3= ", "－3＋4="}) {
        EXPECT_FALSE(marking::WritableResult(cell)) << cell;
    }
}
