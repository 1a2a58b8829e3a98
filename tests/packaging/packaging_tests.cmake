# The release: builds that give the same bytes wherever they run, and the
# packages made from this build, unpacked and run as a user would.
if(ZELK_WINDOWS_I686_BIN)
  # Builds the tree twice more, two jobs each.
  add_test(NAME package.reproducible_build
    COMMAND ${CMAKE_CURRENT_LIST_DIR}/reproducible_build.sh ${CMAKE_SOURCE_DIR}
            ${ZELK_WINDOWS_I686_BIN} ${ZELK_BIN_DIR})
  set_tests_properties(package.reproducible_build PROPERTIES PROCESSORS 2 LABELS package)

  # The packages of this build and the i686 one, unsigned, made once for
  # the tests that read them.
  set(ZELK_TEST_DIST ${CMAKE_BINARY_DIR}/package-test/dist)
  set(ZELK_PACKAGE_COMMAND ${CMAKE_SOURCE_DIR}/scripts/package --no-build
      --build-dir ${CMAKE_BINARY_DIR} --i686-bin ${ZELK_WINDOWS_I686_BIN})
  add_test(NAME package.make COMMAND ${ZELK_PACKAGE_COMMAND} --out ${ZELK_TEST_DIST})
  set_tests_properties(package.make PROPERTIES FIXTURES_SETUP packages LABELS package
    ENVIRONMENT "ZELK_SIGN_PKCS12=")

  zelk_add_test(package zelk_test_support GTest::gtest)
  add_dependencies(package_test ZelkSvc vemtu_simulator)
  gtest_discover_tests(package_test TEST_PREFIX "package."
    EXTRA_ARGS --dist=${ZELK_TEST_DIST} --source=${CMAKE_SOURCE_DIR}
               --i686-bin=${ZELK_WINDOWS_I686_BIN} --version=${PROJECT_VERSION}
               --tool=$<TARGET_FILE:ZelkSvc>
    PROPERTIES FIXTURES_REQUIRED packages LABELS package)

  add_test(NAME package.lintian
    COMMAND ${CMAKE_CURRENT_LIST_DIR}/lintian.sh ${ZELK_TEST_DIST})
  set_tests_properties(package.lintian PROPERTIES FIXTURES_REQUIRED packages LABELS package)

  # Packing again, elsewhere and otherwise set up, gives the same bytes.
  add_test(NAME package.reproducible_packages
    COMMAND ${CMAKE_CURRENT_LIST_DIR}/reproducible_packages.sh ${ZELK_TEST_DIST} ${ZELK_PACKAGE_COMMAND})
  set_tests_properties(package.reproducible_packages PROPERTIES FIXTURES_REQUIRED packages
    LABELS package ENVIRONMENT "ZELK_SIGN_PKCS12=")

  # Signing with a throwaway certificate: verifies, and gives the same bytes twice.
  add_test(NAME package.signing
    COMMAND ${CMAKE_CURRENT_LIST_DIR}/signing.sh ${CMAKE_SOURCE_DIR}/scripts/sign
            ${ZELK_WINDOWS_I686_BIN}/ZelkSvc.exe ${ZELK_PACKAGE_COMMAND})
  set_tests_properties(package.signing PROPERTIES LABELS package)
endif()
