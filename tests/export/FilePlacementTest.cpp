// Private files and the interrupt clean-up, on the real file system of each system (under Wine
// for the Windows build).
#include <gtest/gtest.h>

#include <barrier>
#include <filesystem>
#include <memory>
#include <random>
#include <thread>
#include <vector>

#include "export/FilePlacement.h"

namespace {

std::filesystem::path FreshFolder() {
    std::mt19937_64 random{std::random_device{}()};
    const auto folder = std::filesystem::temp_directory_path() / ("pellarin-placement-" + std::to_string(random()));
    std::filesystem::create_directories(folder);
    return folder;
}

std::vector<std::string> Names(const std::filesystem::path& folder) {
    std::vector<std::string> names;
    for (const auto& entry : std::filesystem::directory_iterator(folder)) names.push_back(entry.path().filename().string());
    return names;
}

TEST(PrivateNames, HiddenBesideTheFinalNameAndNeverLongerNearALimit) {
    EXPECT_EQ(pellarin::PrivateNameFor("a.pdf", 10, 255, 4095), ".a.pdf.XXXXXX");
    // At the name limit the private name is as long as the final one.
    const std::string longName(250, 'a');
    const std::string near = pellarin::PrivateNameFor(longName, 260, 255, 4095);
    EXPECT_EQ(near.size(), longName.size());
    EXPECT_EQ(near.substr(near.size() - 7), ".XXXXXX");
    // Near the path limit too.
    EXPECT_EQ(pellarin::PrivateNameFor("sheet.docx", 4090, 255, 4095).size(), std::string("sheet.docx").size());
    // A name too short to shorten still gets a usable one.
    EXPECT_EQ(pellarin::PrivateNameFor("a", 4095, 255, 4095), "XXXXXX");
}

TEST(PrivateNames, NeverCutACharacterInHalf) {
    // UTF-8: 试 is three bytes; cut inside it, the whole character goes.
    std::string name = "ab";
    for (int i = 0; i < 84; ++i) name += "试";  // 254 bytes
    const std::string utf8 = pellarin::PrivateNameFor(name, 300, 255, 4095);
    const std::string kept = utf8.substr(1, utf8.size() - 8);
    EXPECT_EQ(kept.size() % 3, 2u) << "whole characters after \"ab\"";
    EXPECT_LE(utf8.size(), name.size());
    // UTF-16 (Windows): a surrogate pair is kept or dropped whole.
    std::wstring wide = L"ab";
    for (int i = 0; i < 126; ++i) wide += std::wstring{wchar_t(0xD840), wchar_t(0xDC00)};
    wide += L"c";  // 255 units, the cut falling between a pair's halves
    const std::wstring windows = pellarin::PrivateNameFor(wide, 300, 255, 259);
    EXPECT_EQ(windows.size(), wide.size() - 1);
    const std::wstring keptWide = windows.substr(1, windows.size() - 8);
    EXPECT_TRUE(keptWide.back() >= 0xDC00 && keptWide.back() <= 0xDFFF) << "ends after a whole pair";
    EXPECT_EQ(keptWide.size() % 2, 0u);
}

// What Ctrl+C or a closed terminal does while a document is being written: the private file
// goes, even though the writer still has it open (on Windows the handler runs beside the writer).
TEST(InterruptCleanUp, RemovesTheFilesOfWritesUnderWay) {
    const auto folder = FreshFolder();
    int error = -1;
    auto file = pellarin::PendingFile::Create((folder / "big.docx").string(), error);
    ASSERT_TRUE(file) << error;
    ASSERT_EQ(file->Write("PK", 2), 0);
    EXPECT_EQ(pellarin::RemovePrivateFiles(), 1);
    file.reset();
    EXPECT_TRUE(Names(folder).empty());
    std::filesystem::remove_all(folder);
}

TEST(InterruptCleanUp, APlacedFileIsNoLongerItsBusiness) {
    const auto folder = FreshFolder();
    int error = -1;
    auto file = pellarin::PendingFile::Create((folder / "done.pdf").string(), error);
    ASSERT_TRUE(file);
    ASSERT_EQ(file->Finish(), 0);
    ASSERT_EQ(file->PlaceWithoutReplacing(), 0);
    EXPECT_EQ(pellarin::RemovePrivateFiles(), 0);
    EXPECT_EQ(Names(folder), std::vector<std::string>{"done.pdf"});
    file.reset();
    std::filesystem::remove_all(folder);
}

// Writers starting at the same moment each get a slot of their own, so the clean-up knows them all.
TEST(InterruptCleanUp, WritersStartingTogetherAreAllKnown) {
    const auto folder = FreshFolder();
    constexpr int kWriters = 8;
    for (int round = 0; round < 50; ++round) {
        std::vector<std::unique_ptr<pellarin::PendingFile>> files(kWriters);
        std::barrier start(kWriters);
        std::vector<std::thread> threads;
        for (int i = 0; i < kWriters; ++i) {
            threads.emplace_back([&, i] {
                int error = 0;
                start.arrive_and_wait();
                files[i] = pellarin::PendingFile::Create((folder / ("s" + std::to_string(i) + ".pdf")).string(), error);
            });
        }
        for (auto& thread : threads) thread.join();
        ASSERT_EQ(pellarin::RemovePrivateFiles(), kWriters) << "round " << round;
        files.clear();
        ASSERT_TRUE(Names(folder).empty());
    }
    std::filesystem::remove_all(folder);
}

// A module with its own copy of this code writes into the list it is given.
TEST(InterruptCleanUp, AListHandedOverIsTheOneUsed) {
    const auto folder = FreshFolder();
    pellarin::CleanUpList* own = pellarin::ThisProgramsCleanUpList();
    pellarin::UseCleanUpList(nullptr);
    EXPECT_EQ(pellarin::ThisProgramsCleanUpList(), own) << "null leaves the list as it was";
    int error = 0;
    auto file = pellarin::PendingFile::Create((folder / "a.pdf").string(), error);
    ASSERT_TRUE(file);
    EXPECT_EQ(pellarin::RemovePrivateFiles(), 1);
    file.reset();
    std::filesystem::remove_all(folder);
}

}  // namespace
