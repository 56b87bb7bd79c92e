# Cross-build of the 64-bit Windows binaries: the lane that tests the same sources under 64-bit Wine on machines
# that cannot execute 32-bit code.
set(CMAKE_SYSTEM_PROCESSOR AMD64)
set(VELQUIN_TRIPLE x86_64-w64-mingw32)
set(VELQUIN_LANE 64)
include(${CMAKE_CURRENT_LIST_DIR}/mingw-common.cmake)
