# The release: builds that give the same bytes wherever they run, and the
# packages made from this build, unpacked and run as a user would.
if(ZELK_WINDOWS_I686_BIN)
  # Builds the tree twice more, two jobs each.
  add_test(NAME package.reproducible_build
    COMMAND ${CMAKE_CURRENT_LIST_DIR}/reproducible_build.sh ${CMAKE_SOURCE_DIR}
            ${ZELK_WINDOWS_I686_BIN} ${ZELK_BIN_DIR})
  set_tests_properties(package.reproducible_build PROPERTIES PROCESSORS 2)
endif()
