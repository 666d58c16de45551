# Writes the recogniser's weights (IN: little-endian 32-bit floats, as `make model` writes
# them) into a C++ file (OUT) of their bytes, compiled into the program.
file(READ ${IN} hex HEX)
string(LENGTH "${hex}" digits)
math(EXPR bytes "${digits} / 2")
string(REGEX REPLACE "([0-9a-f][0-9a-f])" "0x\\1," body "${hex}")
file(WRITE ${OUT} "// Generated from scan/digit-weights.bin at build time.\n#include <cstddef>\n\nnamespace scan {\n"
    "extern const unsigned char kDigitWeightBytes[];\nextern const std::size_t kDigitWeightByteCount;\n"
    "const unsigned char kDigitWeightBytes[] = {${body}};\nconst std::size_t kDigitWeightByteCount = ${bytes};\n"
    "}  // namespace scan\n")
