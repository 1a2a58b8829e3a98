# 64-bit Windows: the build that runs the tests under wine64.
set(ZELK_MINGW_ARCH x86_64)
include(${CMAKE_CURRENT_LIST_DIR}/mingw-w64.cmake)
