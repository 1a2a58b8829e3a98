# Two builds of one commit give the same bytes, wherever the tree sits and
# whenever it is built: release checksums and signatures depend on it.
add_library(zelk_reproducible INTERFACE)
# No build folder in the binaries (__FILE__, debug info).
target_compile_options(zelk_reproducible INTERFACE
  -ffile-prefix-map=${CMAKE_SOURCE_DIR}/=
  -ffile-prefix-map=${CMAKE_BINARY_DIR}/=)
if(WIN32)
  # A PE header carries the link time unless told not to; zero it.
  target_link_options(zelk_reproducible INTERFACE LINKER:--no-insert-timestamp)
endif()
target_link_libraries(zelk_build_options INTERFACE zelk_reproducible)

# Static libraries without member times, owners or modes (GNU ar's D).
set(CMAKE_CXX_ARCHIVE_CREATE "<CMAKE_AR> qcD <TARGET> <LINK_FLAGS> <OBJECTS>")
set(CMAKE_CXX_ARCHIVE_APPEND "<CMAKE_AR> qD <TARGET> <LINK_FLAGS> <OBJECTS>")
set(CMAKE_CXX_ARCHIVE_FINISH "<CMAKE_RANLIB> -D <TARGET>")
