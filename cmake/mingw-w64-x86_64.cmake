# Cross-builds for Windows x86-64 with Debian's MinGW-w64 (g++-mingw-w64-x86-64-posix).
# The -posix compilers are named explicitly: the -win32 ones lack std::thread
# and std::mutex in GCC 12, and the unsuffixed names may point at either.
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR x86_64)

set(TOVARUNE_MINGW_TRIPLE x86_64-w64-mingw32)
set(CMAKE_C_COMPILER ${TOVARUNE_MINGW_TRIPLE}-gcc-posix)
set(CMAKE_CXX_COMPILER ${TOVARUNE_MINGW_TRIPLE}-g++-posix)
set(CMAKE_RC_COMPILER ${TOVARUNE_MINGW_TRIPLE}-windres)

set(CMAKE_FIND_ROOT_PATH /usr/${TOVARUNE_MINGW_TRIPLE})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)

# Everything linked statically: executables and DLLs import only KERNEL32 and
# msvcrt, so nothing of MinGW has to sit beside them, under Wine or in a game.
set(CMAKE_EXE_LINKER_FLAGS_INIT "-static")
set(CMAKE_SHARED_LINKER_FLAGS_INIT "-static")
set(CMAKE_MODULE_LINKER_FLAGS_INIT "-static")

# CTest runs the Windows test executables through Wine.
set(CMAKE_CROSSCOMPILING_EMULATOR "${CMAKE_CURRENT_LIST_DIR}/wine-run.sh")
