#pragma once

#include <atomic>
#include <string>

// Inside the file placement code only: the private files of writes under way, which the
// interrupt clean-up removes. Fixed slots, since a signal handler may neither allocate nor
// lock; a slot is claimed with one compare-exchange, filled, and only then marked in use, so
// two writers never share one and the handler never reads a half-written path.
namespace pellarin {

#ifdef _WIN32
using NativeChar = wchar_t;  // Windows names are UTF-16
#else
using NativeChar = char;  // the bytes of the name as the file system has them
#endif
using NativeString = std::basic_string<NativeChar>;

struct CleanUpList {
    static constexpr int kSlots = 8;
    static constexpr std::size_t kPathRoom = 4096;
    enum State { Free, Filling, InUse };
    struct Slot {
        std::atomic<int> state{Free};
        NativeChar path[kPathRoom];
    };
    Slot slots[kSlots];
};

// The slot the file went into, or -1 (more writes at once than slots, or a path too long):
// such a file is only removed the usual way.
int RememberPrivateFile(const NativeString& path);
void ForgetPrivateFile(int slot);

// Removes one file by its native name; one implementation per system.
bool RemoveNativeFile(const NativeChar* path);

}  // namespace pellarin
