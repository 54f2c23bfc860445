# Test helpers shared by every test folder.

# qorv_test(NAME LABEL SOURCES... [LIBS ...]): a GoogleTest executable run as
# one CTest test; nothing in a build without tests.
function(qorv_test name label)
  if(NOT QORV_TESTS)
    return()
  endif()
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
    qorv_wine_enabled(${name})
  endif()
endfunction()

# Disables a Wine test where this build cannot run.
function(qorv_wine_enabled name)
  if(NOT QORV_RUN_WINE_TESTS)
    set_tests_properties(${name} PROPERTIES DISABLED TRUE)
  endif()
endfunction()

if(NOT QORV_TESTS)
  return()
endif()

if(WIN32)
  # GoogleTest is built from Debian's sources with the cross compiler.
  set(gtest_disable_pthreads ON CACHE BOOL "" FORCE)
  set(INSTALL_GTEST OFF CACHE BOOL "" FORCE)
  add_subdirectory(/usr/src/googletest ${CMAKE_BINARY_DIR}/googletest EXCLUDE_FROM_ALL)
  set(QORV_GTEST gtest gtest_main)

  # Whether this build's programs can run here. A 32-bit build cannot where
  # the kernel executes no 32-bit code; the 64-bit build then runs the Windows
  # tests in its place. Off, the Wine tests are listed but disabled.
  if(CMAKE_SIZEOF_VOID_P EQUAL 4)
    execute_process(COMMAND ${PROJECT_SOURCE_DIR}/scripts/runs-32bit-code
                    RESULT_VARIABLE qorv_probe OUTPUT_QUIET ERROR_QUIET)
    if(qorv_probe EQUAL 0)
      set(qorv_runs ON)
    else()
      set(qorv_runs OFF)
    endif()
    set(QORV_WINE_ARCH win32)
  else()
    set(qorv_runs ON)
    set(QORV_WINE_ARCH win64)
  endif()
  option(QORV_RUN_WINE_TESTS "Run this build's tests under Wine" ${qorv_runs})

  # Every Windows test runs under Wine in one prefix made once per build tree,
  # started by the loader that matches the build (WINE, for the scripts).
  # NOTE: a program started while the prefix is still being set up may get no
  # legacy GL context, so the set-up waits for wineserver to finish.
  set(QORV_WINE_ENV
      "WINEPREFIX=${CMAKE_BINARY_DIR}/wineprefix"
      "WINEARCH=${QORV_WINE_ARCH}"
      "WINE=${CMAKE_CROSSCOMPILING_EMULATOR}"
      "WINEDEBUG=-all"
      "WINEDLLOVERRIDES=mscoree=d\\;mshtml=d")
  if(QORV_WINE_ARCH STREQUAL win64)
    # Programs that Wine starts by itself take the same loader.
    list(APPEND QORV_WINE_ENV "WINELOADER=${CMAKE_CROSSCOMPILING_EMULATOR}")
  endif()
  add_test(NAME wine_prefix
           COMMAND sh -c "\"$WINE\" wineboot -i >/dev/null 2>&1; wineserver -w")
  set_tests_properties(wine_prefix PROPERTIES
      FIXTURES_SETUP wine ENVIRONMENT "${QORV_WINE_ENV}" LABELS "e2e;unit;gl")
  qorv_wine_enabled(wine_prefix)
else()
  find_package(GTest REQUIRED)
  set(QORV_GTEST GTest::gtest GTest::gtest_main)
endif()

