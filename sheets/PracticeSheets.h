#pragma once

#include <QString>
#include <vector>

#include "practice/Session.h"

// The sheets of the output box that can be practised on screen: every one still in its form
// (title, heading, 16 rows of five problems and 5 rows of four), edits included. Each problem
// keeps its text as printed and the value the answer key gives it.
struct PracticeSheet {
    int number = 0;       // as counted in the box, from 1
    QString title;
    std::vector<practice::Problem> problems;
};
std::vector<PracticeSheet> PracticeSheetsOf(const QString& boxText);
// One problem as printed, with the value a child writes for it.
practice::Problem PracticeProblem(const QString& printed);

// Where a sheet's problem (0 to 99, in reading order) stands: its row, counted over the whole
// sheet, and its column in that row.
struct Place {
    int row, column;
};
Place PlaceOf(int index);
