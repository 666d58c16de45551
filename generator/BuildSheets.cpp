#include "BuildSheets.h"

#include <chrono>

namespace pellarin {

RandomSource& ProgramRandomSource() {
    // The stream starts somewhere different in every session of the program; from then on
    // the clock read at each re-seed does the rest.
    static RandomSource source(
        static_cast<std::uint64_t>(std::chrono::steady_clock::now().time_since_epoch().count()) ^
        SystemClockReading());
    return source;
}

GenerationResult BuildSheets(std::int16_t operandLimit, std::int16_t sheetCount, std::u16string_view difficulty) {
    return BuildSheets(ProgramRandomSource(), operandLimit, sheetCount, difficulty);
}

}  // namespace pellarin
