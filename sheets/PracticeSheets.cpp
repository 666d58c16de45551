#include "PracticeSheets.h"

#include "SheetText.h"

practice::Problem PracticeProblem(const QString& printed) {
    const auto value = sheet_text::Evaluate(printed);
    // A child writes digits only, at most three of them.
    const bool writable = value && *value >= 0 && *value <= 999;
    return {printed.toStdString(), writable ? static_cast<int>(*value) : -1};
}

Place PlaceOf(int index) {
    using namespace sheet_text;
    constexpr int kTwoOperands = kTwoOperandRows * kTwoOperandColumns;
    if (index < kTwoOperands) return {index / kTwoOperandColumns, index % kTwoOperandColumns};
    const int chained = index - kTwoOperands;
    return {kTwoOperandRows + chained / kChainedColumns, chained % kChainedColumns};
}

std::vector<PracticeSheet> PracticeSheetsOf(const QString& boxText) {
    std::vector<PracticeSheet> sheets;
    for (const auto& section : sheet_text::Read(boxText)) {
        if (!section.inForm) continue;
        PracticeSheet sheet{section.sheet, section.titleLine.trimmed(), {}};
        for (const QStringList& row : section.rows) {
            for (const QString& cell : row) sheet.problems.push_back(PracticeProblem(cell));
        }
        sheets.push_back(std::move(sheet));
    }
    return sheets;
}
