# The Windows leg: the cross-built exe and simulator DLL, run under wine64
# (the x86_64 build) and inspected as files (the shipped i686 build).
# Included from the tests folder, so it can add the end-to-end table again.
find_program(ZELK_WINE64 wine64 PATHS /usr/lib/wine NO_DEFAULT_PATH REQUIRED)
find_program(ZELK_WINESERVER wineserver PATHS /usr/lib/wine NO_DEFAULT_PATH REQUIRED)
set(ZELK_WINEPREFIX ${CMAKE_CURRENT_BINARY_DIR}/wineprefix)

# One wine prefix for the whole run, made before the first test needs it.
add_test(NAME windows.wine_prefix
  COMMAND ${CMAKE_CURRENT_LIST_DIR}/prepare_wine.sh ${ZELK_WINE64} ${ZELK_WINESERVER} ${ZELK_WINEPREFIX})
set_tests_properties(windows.wine_prefix PROPERTIES FIXTURES_SETUP wine LABELS windows)

if(ZELK_WINDOWS_X86_64_BIN)
  # The stream tests that read one stream at a time run here too.
  set(filter_end_to_end "-*OnPosix*")
  set(filter_streams "Terminal.Announcement*:Stdout/*:Streams/*:Prints/*")
  set(filter_interrupt "Signals/InterruptTest.*/SIGINT")
  foreach(area end_to_end streams interrupt)
    gtest_discover_tests(${area}_test TEST_PREFIX "windows." TEST_FILTER "${filter_${area}}"
      EXTRA_ARGS --platform=windows --launcher=${ZELK_WINE64}
                 --tool=${ZELK_WINDOWS_X86_64_BIN}/ZelkSvc.exe
                 --env=WINEPREFIX=${ZELK_WINEPREFIX} --env=WINEDEBUG=-all --env=LANG=C.UTF-8
      PROPERTIES FIXTURES_REQUIRED wine LABELS windows)
  endforeach()

  add_test(NAME windows.batch_errorlevel
    COMMAND ${CMAKE_CURRENT_LIST_DIR}/run_batch.sh ${ZELK_WINE64} ${ZELK_WINEPREFIX}
            ${ZELK_WINDOWS_X86_64_BIN} ${CMAKE_CURRENT_LIST_DIR}/errorlevel.cmd
            ${CMAKE_CURRENT_LIST_DIR}/errorlevel.expected)
  set_tests_properties(windows.batch_errorlevel PROPERTIES FIXTURES_REQUIRED wine LABELS windows)

  # examples/update.cmd, as a service team runs it, for every exit status.
  add_test(NAME windows.example_update_cmd
    COMMAND ${CMAKE_CURRENT_LIST_DIR}/run_update_cmd.sh ${ZELK_WINE64} ${ZELK_WINEPREFIX}
            ${ZELK_WINDOWS_X86_64_BIN} ${PROJECT_SOURCE_DIR}/examples/update.cmd
            ${CMAKE_CURRENT_LIST_DIR}/update_cmd_runs.cmd ${CMAKE_CURRENT_LIST_DIR}/update_cmd.expected)
  set_tests_properties(windows.example_update_cmd PROPERTIES FIXTURES_REQUIRED wine LABELS windows)
endif()

if(ZELK_WINDOWS_I686_BIN)
  find_program(ZELK_I686_OBJDUMP i686-w64-mingw32-objdump REQUIRED)
  add_test(NAME windows.pe32_imports
    COMMAND ${CMAKE_CURRENT_LIST_DIR}/inspect_pe.sh ${ZELK_I686_OBJDUMP}
            ${ZELK_WINDOWS_I686_BIN}/ZelkSvc.exe ${ZELK_WINDOWS_I686_BIN}/Vemtu.dll)
  set_tests_properties(windows.pe32_imports PROPERTIES LABELS windows)

  # The version block and manifest, read back as Windows' tools read them.
  find_program(ZELK_I686_WINDRES i686-w64-mingw32-windres REQUIRED)
  add_test(NAME windows.pe32_resources
    COMMAND ${CMAKE_CURRENT_LIST_DIR}/inspect_resources.sh ${ZELK_I686_WINDRES}
            ${ZELK_WINDOWS_I686_BIN}/ZelkSvc.exe ${ZELK_WINDOWS_I686_BIN}/Vemtu.dll ${PROJECT_VERSION})
  set_tests_properties(windows.pe32_resources PROPERTIES LABELS windows)
endif()
