# Cross-compiling for 64-bit Windows with Debian's MinGW-w64, posix thread model (Qt needs
# std::thread and friends, which the win32 model lacks in GCC 12).
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR x86_64)

set(PELLARIN_MINGW_TRIPLE x86_64-w64-mingw32)
set(CMAKE_C_COMPILER   ${PELLARIN_MINGW_TRIPLE}-gcc-posix)
set(CMAKE_CXX_COMPILER ${PELLARIN_MINGW_TRIPLE}-g++-posix)
set(CMAKE_RC_COMPILER  ${PELLARIN_MINGW_TRIPLE}-windres)

# Headers, import libraries and CMake packages come from MinGW's own tree and from the prefix
# the Windows libraries were built into (PELLARIN_WINDOWS_PREFIX, from the environment or the
# cache); never from the host, whose libraries are for Linux.
if(NOT PELLARIN_WINDOWS_PREFIX AND DEFINED ENV{PELLARIN_WINDOWS_PREFIX})
    set(PELLARIN_WINDOWS_PREFIX "$ENV{PELLARIN_WINDOWS_PREFIX}")
endif()
set(CMAKE_FIND_ROOT_PATH /usr/${PELLARIN_MINGW_TRIPLE} ${PELLARIN_WINDOWS_PREFIX})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)

# The binutils of the same target (CMake cannot derive their names from the -posix compilers).
set(CMAKE_AR ${PELLARIN_MINGW_TRIPLE}-ar CACHE FILEPATH "")
set(CMAKE_RANLIB ${PELLARIN_MINGW_TRIPLE}-ranlib CACHE FILEPATH "")
set(CMAKE_STRIP ${PELLARIN_MINGW_TRIPLE}-strip CACHE FILEPATH "")
set(CMAKE_OBJDUMP ${PELLARIN_MINGW_TRIPLE}-objdump CACHE FILEPATH "")

# The same sources give the same program: no link time in the PE headers.
foreach(kind EXE SHARED MODULE)
    set(CMAKE_${kind}_LINKER_FLAGS_INIT "-Wl,--no-insert-timestamp")
endforeach()
