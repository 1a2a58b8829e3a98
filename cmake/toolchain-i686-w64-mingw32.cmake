# 32-bit Windows: the shipped ZelkSvc.exe.
set(ZELK_MINGW_ARCH i686)
include(${CMAKE_CURRENT_LIST_DIR}/mingw-w64.cmake)
