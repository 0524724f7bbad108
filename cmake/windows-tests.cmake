# Test support for the Windows build (included by the top-level CMakeLists.txt when WIN32).
#
# GoogleTest comes from Debian's googletest sources, built with the cross compiler; it brings
# the same GTest::gtest, GTest::gtest_main and GTest::gmock targets as find_package(GTest).
set(PAGEWICK_GOOGLETEST_SOURCE /usr/src/googletest CACHE PATH "GoogleTest sources (Debian's googletest)")
if(NOT EXISTS ${PAGEWICK_GOOGLETEST_SOURCE}/CMakeLists.txt)
  message(FATAL_ERROR "No GoogleTest sources in ${PAGEWICK_GOOGLETEST_SOURCE}: run scripts/install-windows-deps.sh")
endif()
set(INSTALL_GTEST OFF CACHE BOOL "" FORCE)
add_subdirectory(${PAGEWICK_GOOGLETEST_SOURCE} ${CMAKE_BINARY_DIR}/googletest EXCLUDE_FROM_ALL)

# Each test program is one CTest test, run through Wine (the toolchain's emulator). Listing
# every case separately would start Wine once per case at build or test time, for nothing.
function(gtest_discover_tests target)
  add_test(NAME ${target} COMMAND ${target})
endfunction()
