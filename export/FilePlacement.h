#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>

// How a document reaches its file: written under a private name beside its final one, then
// given the final name in one step, so that no reader ever sees half a document under it and
// an existing file is never replaced unless the user agreed. One implementation per system
// (FilePlacementPosix.cpp, FilePlacementWindows.cpp); the build picks it.
//
// Paths are std::string: on Linux the bytes of the name as the file system has them (any bytes
// but NUL), on Windows UTF-8. Errors are errno values (EEXIST, ENOSPC, ...) on both, so that
// one table of reasons serves every writer.
namespace pellarin {

class PendingFile {
public:
    // Creates the private file beside `target`, exclusively: nothing else has or gets it. Its
    // name fits wherever the target's name fits. Returns nullptr with `error` set on failure.
    static std::unique_ptr<PendingFile> Create(const std::string& target, int& error);

    // Removes the private file unless it has taken its final name.
    ~PendingFile();
    PendingFile(const PendingFile&) = delete;
    PendingFile& operator=(const PendingFile&) = delete;

    // Each returns 0 or the errno of the failure.
    int Write(const void* data, std::size_t size);
    int Seek(std::uint64_t offset);
    std::uint64_t Tell() const { return m_position; }

    // Everything on the disk, the file closed and given the permissions a new file of the
    // user's gets; then the final name, only while nothing has it (EEXIST otherwise, also for
    // a file that appeared during the write), or replacing what has it.
    int Finish();
    int PlaceWithoutReplacing();
    int PlaceReplacing();

    const std::string& path() const { return m_path; }

private:
    PendingFile(std::string path, std::string target, std::intptr_t handle);
    void Placed();

    std::string m_path, m_target;
    std::intptr_t m_handle;  // a descriptor on Linux, a HANDLE on Windows; -1 once closed
    std::uint64_t m_position = 0;
    bool m_placed = false;
    int m_slot = -1;  // where the interrupt clean-up knows the file
};

// Whether anything (a file, a folder, a dangling link) has the name.
bool NameTaken(const std::string& path);

// The private name for a file beside `name` (the last part of a path of `pathLength` units):
// hidden, unique by its last six characters ("XXXXXX" here, for the caller to fill), and never
// longer than the final name once that is near the limits of a name or a path, so that it fits
// wherever the final one fits. Counted in UTF-8 bytes, or in UTF-16 units for Windows names;
// a character is never cut in half.
std::string PrivateNameFor(const std::string& name, std::size_t pathLength, std::size_t maxName,
                           std::size_t maxPath);
std::wstring PrivateNameFor(const std::wstring& name, std::size_t pathLength, std::size_t maxName,
                            std::size_t maxPath);

// A signal or console event that ends the program (Ctrl+C, closing the terminal, a polite
// kill) first removes the private files of writes under way. Called once by each program.
void InstallInterruptCleanUp();

// What that clean-up does, callable by itself: removes the private files of the writes under
// way and returns how many it removed. Safe in a signal handler.
int RemovePrivateFiles();

// The list of private files the clean-up knows. A module loaded at run time (the PDF writer)
// links a copy of this code of its own: the program hands the module its list before the
// module writes anything, so that the program's handler also removes the module's files.
struct CleanUpList;
CleanUpList* ThisProgramsCleanUpList();
void UseCleanUpList(CleanUpList* list);

// The reason for a failed file operation, in words a user knows.
std::string DescribeFileError(int error);

}  // namespace pellarin
