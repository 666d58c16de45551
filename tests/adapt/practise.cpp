// A sheet answered on screen, as the practice window hands it in, at a given moment: for tests
// that need a child's records as practice on screen leaves them.
//
// usage: practise RECORDS CHILD WHEN_MS PROBLEM=ANSWER...   (e.g. "45＋38=" and "73": 45＋38==73)
#include <cstdio>
#include <string>
#include <vector>

#include "generator/GivenProblems.h"
#include "generator/Utf.h"
#include "practice/Clock.h"
#include "records/PracticeRecords.h"

int main(int argc, char** argv) {
    if (argc < 5) {
        std::fputs("usage: practise RECORDS CHILD WHEN_MS PROBLEM=ANSWER...\n", stderr);
        return 2;
    }
    const std::int64_t when = std::stoll(argv[3]);
    std::vector<practice::Problem> problems;
    std::vector<std::string> answers;
    for (int i = 4; i < argc; ++i) {
        const std::string item = argv[i];
        const std::size_t equals = item.rfind("==");
        const std::string text = item.substr(0, equals + 1);
        const auto fact = pellarin::ParseFact(pellarin::FromUtf8(text));
        if (equals == std::string::npos || !fact) {
            std::fprintf(stderr, "practise: not a problem and its answer: %s\n", item.c_str());
            return 2;
        }
        const int value = std::visit(
            [](const auto& p) {
                if constexpr (std::is_same_v<std::decay_t<decltype(p)>, pellarin::TwoOperandProblem>) {
                    return pellarin::rules::Apply(p.a, p.op, p.b);
                } else {
                    return pellarin::rules::Apply(pellarin::rules::Apply(p.a, p.op1, p.b), p.op2, p.c);
                }
            },
            *fact);
        problems.push_back({text, value});
        answers.push_back(item.substr(equals + 2));
    }
    PracticeRecords::Error error;
    auto records = PracticeRecords::Open(argv[1], error);
    if (!records) {
        std::fprintf(stderr, "practise: %s\n", error.detail.c_str());
        return 1;
    }
    const auto id = records->Begin(argv[2], 1, "100道口算题", problems, when);
    practice::Session session(problems);
    for (std::size_t i = 0; i < answers.size(); ++i) session.SetAnswer(i, answers[i], when + 1000);
    session.HandIn(when + 60'000);
    if (id == 0 || !records->Finish(id, session, when + 60'000, practice::LocalDay(when + 60'000))) {
        std::fprintf(stderr, "practise: %s\n", records->lastError().detail.c_str());
        return 1;
    }
    return 0;
}
