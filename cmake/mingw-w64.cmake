# Cross-builds the Windows executable with Debian's MinGW-w64 (the POSIX
# threads variant, which gives std::thread and friends), linked statically so
# that scenario-compiler.exe is one file with no runtime DLL beside it.
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR x86_64)
set(SC_MINGW_TRIPLET x86_64-w64-mingw32)

set(CMAKE_C_COMPILER ${SC_MINGW_TRIPLET}-gcc-posix)
set(CMAKE_CXX_COMPILER ${SC_MINGW_TRIPLET}-g++-posix)
set(CMAKE_RC_COMPILER ${SC_MINGW_TRIPLET}-windres)

set(CMAKE_FIND_ROOT_PATH /usr/${SC_MINGW_TRIPLET})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)

set(CMAKE_EXE_LINKER_FLAGS_INIT "-static")

# Tests and test discovery run the executables under Wine, with a prefix (the
# Windows system Wine keeps) inside the build, and quiet.
set(SC_WINE_PREFIX ${CMAKE_BINARY_DIR}/wine-prefix)
set(CMAKE_CROSSCOMPILING_EMULATOR env WINEPREFIX=${SC_WINE_PREFIX} WINEDEBUG=-all LC_ALL=C.UTF-8 wine)
