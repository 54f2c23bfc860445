# Test helpers shared by every test folder.

# qorv_test(NAME LABEL SOURCES... [LIBS ...] [FIXTURES ...] [ENVIRONMENT ...]
#           [WORKING_DIRECTORY DIR]): a GoogleTest executable whose cases ctest
# lists when it starts, each a test of its own named NAME.Suite.Case; nothing
# in a build without tests.
function(qorv_test name label)
  if(NOT QORV_TESTS OR EMSCRIPTEN)
    return()
  endif()
  cmake_parse_arguments(ARG "" "WORKING_DIRECTORY" "SOURCES;LIBS;FIXTURES;ENVIRONMENT" ${ARGN})
  add_executable(${name} ${ARG_SOURCES})
  qorv_warnings(${name})
  target_link_libraries(${name} PRIVATE ${ARG_LIBS} ${QORV_GTEST})
  if(NOT ARG_WORKING_DIRECTORY)
    set(ARG_WORKING_DIRECTORY ${CMAKE_CURRENT_BINARY_DIR})
  endif()
  if(WIN32)
    list(APPEND ARG_FIXTURES wine)
    if(NOT QORV_RUN_WINE_TESTS)
      # Cases cannot be listed where the program cannot run: one disabled
      # test stands for them.
      add_test(NAME ${name} COMMAND ${name})
      set_tests_properties(${name} PROPERTIES LABELS "${label}" DISABLED TRUE)
      return()
    endif()
  endif()
  gtest_discover_tests(${name} TEST_PREFIX "${name}." WORKING_DIRECTORY ${ARG_WORKING_DIRECTORY}
                       DISCOVERY_MODE PRE_TEST DISCOVERY_TIMEOUT 300 TEST_LIST ${name}_TESTS)
  # Labels, fixtures and environment are lists, which the discovered tests'
  # properties cannot carry; ctest includes this after the discovered list.
  set(properties "LABELS \"${label}\"")
  if(ARG_FIXTURES)
    string(APPEND properties " FIXTURES_REQUIRED \"${ARG_FIXTURES}\"")
  endif()
  if(ARG_ENVIRONMENT)
    string(APPEND properties " ENVIRONMENT \"${ARG_ENVIRONMENT}\"")
  endif()
  set(script ${CMAKE_CURRENT_BINARY_DIR}/${name}_properties.cmake)
  file(WRITE ${script}
       "if(${name}_TESTS)\n  set_tests_properties(\${${name}_TESTS} PROPERTIES ${properties})\nendif()\n")
  set_property(DIRECTORY APPEND PROPERTY TEST_INCLUDE_FILES ${script})
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

# The browser build's tests drive a browser; they need no GoogleTest.
if(NOT QORV_TESTS OR EMSCRIPTEN)
  return()
endif()
include(GoogleTest)

if(WIN32)
  # GoogleTest is built from its sources (Debian's googletest package) with
  # the cross compiler; they lie on the host, outside the cross sysroot.
  find_path(QORV_GOOGLETEST_SOURCE_DIR googletest/CMakeLists.txt
            PATH_SUFFIXES src/googletest NO_CMAKE_FIND_ROOT_PATH REQUIRED)
  set(gtest_disable_pthreads ON CACHE BOOL "" FORCE)
  set(INSTALL_GTEST OFF CACHE BOOL "" FORCE)
  add_subdirectory(${QORV_GOOGLETEST_SOURCE_DIR} ${CMAKE_BINARY_DIR}/googletest EXCLUDE_FROM_ALL)
  set(QORV_GTEST gtest gtest_main)

  # Whether this build's programs can run here. A 32-bit build cannot where
  # the kernel executes no 32-bit code or Wine's 32-bit half is missing; the
  # 64-bit build then runs the Windows tests in its place. Off, the Wine
  # tests are listed but disabled. This is only the first configure's
  # default: scripts/test passes its own choice every time.
  if(CMAKE_SIZEOF_VOID_P EQUAL 4)
    execute_process(COMMAND ${PROJECT_SOURCE_DIR}/scripts/wine-runs-32bit
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

  # Test programs run through a wrapper that gives them the prefix (and makes
  # it on first use, which is when ctest lists their cases).
  set(QORV_WINE_LOADER ${CMAKE_CROSSCOMPILING_EMULATOR})
  set(CMAKE_CROSSCOMPILING_EMULATOR ${PROJECT_SOURCE_DIR}/tests/wine_run.sh
      ${CMAKE_BINARY_DIR}/wineprefix ${QORV_WINE_ARCH} ${QORV_WINE_LOADER})

  # Every Windows test runs under Wine in one prefix made once per build tree,
  # started by the loader that matches the build (WINE, for the scripts).
  # NOTE: a program started while the prefix is still being set up may get no
  # legacy GL context, so the set-up waits for wineserver to finish.
  set(QORV_WINE_ENV
      "WINEPREFIX=${CMAKE_BINARY_DIR}/wineprefix"
      "WINEARCH=${QORV_WINE_ARCH}"
      "WINE=${QORV_WINE_LOADER}"
      "WINEDEBUG=-all"
      "WINEDLLOVERRIDES=mscoree=d\\;mshtml=d")
  if(QORV_WINE_ARCH STREQUAL win64)
    # Programs that Wine starts by itself take the same loader.
    list(APPEND QORV_WINE_ENV "WINELOADER=${QORV_WINE_LOADER}")
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

