# Cross-compiles for 64-bit Windows with Debian's MinGW-w64 (the POSIX-thread
# variant, whose libstdc++ has std::thread and std::mutex). Programs built
# with it run on Windows, or under Wine here.
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR x86_64)
set(TESSARY_MINGW x86_64-w64-mingw32)
set(CMAKE_CXX_COMPILER ${TESSARY_MINGW}-g++-posix)
set(CMAKE_C_COMPILER ${TESSARY_MINGW}-gcc-posix)
set(CMAKE_RC_COMPILER ${TESSARY_MINGW}-windres)
set(CMAKE_FIND_ROOT_PATH /usr/${TESSARY_MINGW})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)
# The built tests run under Wine (tests/support/with-wine.sh).
