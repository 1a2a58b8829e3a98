# Cross build for Windows with the distribution's MinGW-w64 compilers; the
# toolchain file that includes this sets ZELK_MINGW_ARCH (i686 or x86_64).
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR ${ZELK_MINGW_ARCH})
set(ZELK_TOOLCHAIN_PREFIX ${ZELK_MINGW_ARCH}-w64-mingw32)
# The win32 thread model: nothing here needs winpthread.
set(CMAKE_CXX_COMPILER ${ZELK_TOOLCHAIN_PREFIX}-g++-win32)
set(CMAKE_RC_COMPILER ${ZELK_TOOLCHAIN_PREFIX}-windres)
set(CMAKE_FIND_ROOT_PATH /usr/${ZELK_TOOLCHAIN_PREFIX})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
