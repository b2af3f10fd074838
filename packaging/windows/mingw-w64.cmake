# Cross-builds for 64-bit Windows with Debian's mingw-w64 (the posix thread model, which Qt's
# threads need). Used for Qt itself and for the tool: cmake -DCMAKE_TOOLCHAIN_FILE=<this file>.
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR x86_64)

set(QUORLEX_MINGW x86_64-w64-mingw32)
set(CMAKE_C_COMPILER ${QUORLEX_MINGW}-gcc-posix)
set(CMAKE_CXX_COMPILER ${QUORLEX_MINGW}-g++-posix)
set(CMAKE_RC_COMPILER ${QUORLEX_MINGW}-windres)

# Libraries, headers and CMake packages come from the Windows side only (mingw-w64's own, and
# the Windows Qt in QUORLEX_QT_PREFIX when given); programs run on this machine.
set(CMAKE_FIND_ROOT_PATH /usr/${QUORLEX_MINGW} ${QUORLEX_QT_PREFIX})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)
list(APPEND CMAKE_TRY_COMPILE_PLATFORM_VARIABLES QUORLEX_QT_PREFIX)
