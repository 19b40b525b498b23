# Shared by the MinGW toolchain files. The posix thread model gives GoogleTest the std::mutex it needs;
# its runtime (winpthreads) is linked in statically like libstdc++.
set(CMAKE_C_COMPILER ${VORIVEVO_MINGW_TRIPLE}-gcc-posix)
set(CMAKE_CXX_COMPILER ${VORIVEVO_MINGW_TRIPLE}-g++-posix)
set(CMAKE_RC_COMPILER ${VORIVEVO_MINGW_TRIPLE}-windres)
set(CMAKE_FIND_ROOT_PATH /usr/${VORIVEVO_MINGW_TRIPLE})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_EXE_LINKER_FLAGS_INIT "-static -static-libgcc -static-libstdc++")
# Unused functions and data (much of the static C++ runtime) are left out of the .exe.
set(CMAKE_C_FLAGS_INIT "-ffunction-sections -fdata-sections")
set(CMAKE_CXX_FLAGS_INIT "-ffunction-sections -fdata-sections")
string(APPEND CMAKE_EXE_LINKER_FLAGS_INIT " -Wl,--gc-sections")
