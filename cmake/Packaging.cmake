# The Linux release, made by CPack: a .tar.gz to unpack anywhere and a .deb,
# both laid out as bin/ZelkSvc, lib/zelksvc/libvemtu.so (the simulator, found
# through the tool's RUNPATH), the manual page and the copyright file.
set(ZELK_PACKAGE_CONTACT "ZelkSvc developers <zelksvc@example.com>"
  CACHE STRING "Maintainer named in the .deb")

# Installing and packing take the build as it is: CPack would otherwise
# rebuild everything first, tests too, and two packings at once would
# build in one tree together.
set(CMAKE_SKIP_INSTALL_ALL_DEPENDENCY ON)

install(TARGETS ZelkSvc RUNTIME DESTINATION bin)
# The built tool looks beside itself; the installed one in lib/zelksvc.
install(CODE "file(RPATH_SET FILE \"\$ENV{DESTDIR}\${CMAKE_INSTALL_PREFIX}/bin/ZelkSvc\"
                   NEW_RPATH \"\$ORIGIN/../lib/zelksvc\")")
install(TARGETS vemtu_simulator LIBRARY DESTINATION lib/zelksvc)
install(FILES packaging/copyright DESTINATION share/doc/zelksvc)

# The manual page and the changelog, compressed the way Debian wants them:
# best, without the name and time gzip would otherwise put in its header.
function(zelk_install_gzipped source destination)
  get_filename_component(name ${source} NAME)
  set(copy ${CMAKE_BINARY_DIR}/packaging/${name})
  add_custom_command(OUTPUT ${copy}.gz
    COMMAND ${CMAKE_COMMAND} -E copy ${source} ${copy}
    COMMAND gzip -9nf ${copy}
    DEPENDS ${source}
    VERBATIM)
  add_custom_target(zelk_gzip_${name} ALL DEPENDS ${copy}.gz)
  install(FILES ${copy}.gz DESTINATION ${destination})
endfunction()
zelk_install_gzipped(${CMAKE_SOURCE_DIR}/man/ZelkSvc.1 share/man/man1)
zelk_install_gzipped(${CMAKE_SOURCE_DIR}/packaging/changelog share/doc/zelksvc)

set(CPACK_GENERATOR TGZ DEB)
set(CPACK_PACKAGE_NAME ZelkSvc)
set(CPACK_PACKAGE_VENDOR "The ZelkSvc developers")
set(CPACK_PACKAGE_CONTACT ${ZELK_PACKAGE_CONTACT})
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_FILE_NAME ZelkSvc-${PROJECT_VERSION}-linux-${CMAKE_SYSTEM_PROCESSOR})
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "ZELK service utility for PC component firmware and settings")
set(CPACK_PACKAGE_DESCRIPTION [=[
ZelkSvc updates the firmware or settings of one component of the PC it
runs on (BIOS, BIOS settings, I/O board FPGA, key configuration, display
link FPGA, ZELK firmware, FPGA and VARO, add-on UPS) through the PC's
device-access library, shows the transfer's progress and ends with an exit
code that scripts test.

The library bundled with it, /usr/lib/zelksvc/libvemtu.so, is the device
simulator, NOT the PC's real device-access library: with it the tool
updates a simulated device that keeps its images in a folder, for trying
scripts. It never reaches real hardware.]=])
set(CPACK_STRIP_FILES ON)
set(CPACK_DEBIAN_PACKAGE_NAME zelksvc)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION utils)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS_PRIVATE_DIRS ${ZELK_BIN_DIR})
include(CPack)
