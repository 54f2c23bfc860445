# Test helpers shared by every test folder.

if(WIN32)
  # GoogleTest is built from Debian's sources with the cross compiler.
  set(gtest_disable_pthreads ON CACHE BOOL "" FORCE)
  set(INSTALL_GTEST OFF CACHE BOOL "" FORCE)
  add_subdirectory(/usr/src/googletest ${CMAKE_BINARY_DIR}/googletest EXCLUDE_FROM_ALL)
  set(QORV_GTEST gtest gtest_main)

  # Every Windows test runs under Wine in one prefix made once per build tree.
  # NOTE: a program started while the prefix is still being set up may get no
  # legacy GL context, so the set-up waits for wineserver to finish.
  set(QORV_WINE_ENV
      "WINEPREFIX=${CMAKE_BINARY_DIR}/wineprefix"
      "WINEDEBUG=-all"
      "WINEDLLOVERRIDES=mscoree=d\\;mshtml=d")
  add_test(NAME wine_prefix
           COMMAND sh -c "wineboot -i >/dev/null 2>&1; wineserver -w")
  set_tests_properties(wine_prefix PROPERTIES
      FIXTURES_SETUP wine ENVIRONMENT "${QORV_WINE_ENV}" LABELS "e2e;unit;gl")
else()
  find_package(GTest REQUIRED)
  set(QORV_GTEST GTest::gtest GTest::gtest_main)
endif()

# qorv_test(NAME LABEL SOURCES... [LIBS ...]): a GoogleTest executable run as one CTest test.
function(qorv_test name label)
  cmake_parse_arguments(ARG "" "" "SOURCES;LIBS" ${ARGN})
  add_executable(${name} ${ARG_SOURCES})
  qorv_warnings(${name})
  target_link_libraries(${name} PRIVATE ${ARG_LIBS} ${QORV_GTEST})
  add_test(NAME ${name} COMMAND ${name})
  set_tests_properties(${name} PROPERTIES LABELS ${label})
  qorv_wine_test(${name})
endfunction()

# Gives a test the Wine prefix and environment on the Windows build.
function(qorv_wine_test name)
  if(WIN32)
    set_property(TEST ${name} APPEND PROPERTY ENVIRONMENT ${QORV_WINE_ENV})
    set_property(TEST ${name} APPEND PROPERTY FIXTURES_REQUIRED wine)
  endif()
endfunction()
