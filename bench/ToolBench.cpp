// pellarin-sheets as a whole process, as a script calls it: start, one sheet, exit. What it
// costs is mostly loading libraries: a text run loads none of Qt.
#include <benchmark/benchmark.h>
#include <fcntl.h>
#include <spawn.h>
#include <sys/wait.h>

#include <string>
#include <vector>

extern char** environ;

namespace {

void RunTool(benchmark::State& state, std::vector<std::string> arguments) {
    arguments.insert(arguments.begin(), PELLARIN_SHEETS_TOOL);
    std::vector<char*> argv;
    for (std::string& argument : arguments) argv.push_back(argument.data());
    argv.push_back(nullptr);
    posix_spawn_file_actions_t quiet;
    posix_spawn_file_actions_init(&quiet);
    posix_spawn_file_actions_addopen(&quiet, 1, "/dev/null", O_WRONLY, 0);
    for (auto _ : state) {
        pid_t child = 0;
        int status = 0;
        if (posix_spawn(&child, argv[0], &quiet, nullptr, argv.data(), environ) != 0 ||
            waitpid(child, &status, 0) != child || !WIFEXITED(status) || WEXITSTATUS(status) != 0) {
            state.SkipWithError("the tool did not run");
            break;
        }
    }
    posix_spawn_file_actions_destroy(&quiet);
}

void BM_OneSheetAsText(benchmark::State& state) { RunTool(state, {"--sheets", "1", "--seed", "1"}); }
BENCHMARK(BM_OneSheetAsText)->Unit(benchmark::kMillisecond);

}  // namespace
