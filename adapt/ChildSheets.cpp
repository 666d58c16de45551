#include "ChildSheets.h"

#include <algorithm>
#include <memory>

#include "generator/Utf.h"
#include "records/PracticeRecords.h"

namespace adapt {

ChildSheets Make(pellarin::RandomSource& source, const std::vector<std::string>& names, const std::string& recordsPath,
                 std::int16_t limit, std::u16string_view difficulty, int perSheet) {
    ChildSheets made;
    std::vector<std::vector<pellarin::Fact>> given(names.size());
    PracticeRecords::Error error;
    const std::unique_ptr<PracticeRecords> records = PracticeRecords::OpenToRead(recordsPath, error);
    auto unreadable = [&](const std::string& why) {
        made.notes.push_back("练习记录 " + recordsPath + " 读不了（" + why + "），出的是普通试卷");
        given.assign(names.size(), {});
    };
    if (!records) {
        unreadable(error.detail);
    } else if (const auto children = records->Children(); !children) {
        unreadable(records->lastError().detail);
    } else {
        for (std::size_t i = 0; i < names.size(); ++i) {
            const auto list = records->MissedList(names[i]);
            if (!list) {
                unreadable(records->lastError().detail);
                break;
            }
            if (std::find(children->begin(), children->end(), names[i]) == children->end()) {
                made.notes.push_back(names[i] + " 不在练习记录里，出的是普通试卷");
            }
            for (const auto& entry : *list) {
                if (const auto fact = pellarin::ParseFact(pellarin::FromUtf8(entry.problem.text))) given[i].push_back(*fact);
            }
        }
    }
    made.run = pellarin::BuildAdaptedSheets(source, limit, static_cast<std::int16_t>(std::min<std::size_t>(names.size(), 32767)),
                                            difficulty, given, perSheet);
    for (std::size_t i = 0; i < made.run.placed.size(); ++i) {
        if (given[i].empty()) continue;
        std::string note = "第 " + std::to_string(i + 1) + " 份 " + names[i] + "：" + std::to_string(made.run.placed[i]) + " 道错题再练";
        if (made.run.leftOut[i] > 0) {
            note += "（" + std::to_string(made.run.leftOut[i]) + " 道不合这套题的难度、范围或别的题，没有放进去）";
        }
        made.notes.push_back(note);
    }
    return made;
}

}  // namespace adapt
