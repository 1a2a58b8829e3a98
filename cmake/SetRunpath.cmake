# cmake -DFILE=<ELF file> -DRUNPATH=<path> -P SetRunpath.cmake
# Sets the file's RUNPATH in place, within the room its linked one has.
file(RPATH_SET FILE "${FILE}" NEW_RPATH "${RUNPATH}")
