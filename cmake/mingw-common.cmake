# The cross-build shared by both Windows toolchains: mingw-w64 with the posix thread model for VELQUIN_TRIPLE,
# the runtime linked in, test programs run through Wine in VELQUIN_LANE.
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_C_COMPILER ${VELQUIN_TRIPLE}-gcc-posix)
set(CMAKE_CXX_COMPILER ${VELQUIN_TRIPLE}-g++-posix)
set(CMAKE_RC_COMPILER ${VELQUIN_TRIPLE}-windres)
set(CMAKE_FIND_ROOT_PATH /usr/${VELQUIN_TRIPLE})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)
# The runtime is linked in, so the binaries need no DLLs beside them.
set(CMAKE_EXE_LINKER_FLAGS_INIT "-static -static-libgcc -static-libstdc++")
set(CMAKE_SHARED_LINKER_FLAGS_INIT "-static -static-libgcc -static-libstdc++")
# Test programs are Windows executables; CTest runs them through Wine, in the lane of this toolchain.
set(CMAKE_CROSSCOMPILING_EMULATOR /usr/bin/env;VELQUIN_LANE=${VELQUIN_LANE};${CMAKE_CURRENT_LIST_DIR}/../tools/wine-run)
