# Shared by the two Windows toolchain files, which set CMAKE_SYSTEM_PROCESSOR first: the
# mingw-w64 compilers of the posix thread model (std::thread and std::mutex need it), and the
# C++ runtime linked statically, so the .exe runs without the compiler's DLLs beside it.
set(CMAKE_SYSTEM_NAME Windows)

set(VPG_MINGW_TRIPLE ${CMAKE_SYSTEM_PROCESSOR}-w64-mingw32)
set(CMAKE_C_COMPILER ${VPG_MINGW_TRIPLE}-gcc-posix)
set(CMAKE_CXX_COMPILER ${VPG_MINGW_TRIPLE}-g++-posix)
set(CMAKE_RC_COMPILER ${VPG_MINGW_TRIPLE}-windres)

set(CMAKE_FIND_ROOT_PATH /usr/${VPG_MINGW_TRIPLE})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)

set(CMAKE_EXE_LINKER_FLAGS_INIT "-static -static-libgcc -static-libstdc++")
