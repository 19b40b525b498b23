# Shared by the MinGW toolchain files. The thread model is posix unless VORIVEVO_THREAD_MODEL says win32.
# The posix model gives GoogleTest and the Windows tests the std::mutex and std::thread they use, through
# the winpthreads runtime, linked in statically like libstdc++. vorivevo.exe starts no thread and takes
# no lock, so it is built with the win32 model (platform/win32/CMakeLists.txt): that leaves winpthreads
# and the calls it imports out of it.
if(NOT VORIVEVO_THREAD_MODEL)
  set(VORIVEVO_THREAD_MODEL posix)
endif()
# The projects that try_compile makes read this file again: they must get the same compiler.
list(APPEND CMAKE_TRY_COMPILE_PLATFORM_VARIABLES VORIVEVO_THREAD_MODEL)
set(CMAKE_C_COMPILER ${VORIVEVO_MINGW_TRIPLE}-gcc-${VORIVEVO_THREAD_MODEL})
set(CMAKE_CXX_COMPILER ${VORIVEVO_MINGW_TRIPLE}-g++-${VORIVEVO_THREAD_MODEL})
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
