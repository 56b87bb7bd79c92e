# Cross-build of the 32-bit Windows binaries, the product.
set(CMAKE_SYSTEM_PROCESSOR x86)
set(VELQUIN_TRIPLE i686-w64-mingw32)
set(VELQUIN_LANE 32)
include(${CMAKE_CURRENT_LIST_DIR}/mingw-common.cmake)
