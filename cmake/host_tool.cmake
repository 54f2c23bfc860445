# qorv_host_tool(NAME): the build-time generator tools/NAME (qorv-NAME), which
# runs on this machine whatever the build is for. A native build builds it as
# part of itself; the cross and browser builds build it with the host's
# compiler as a project of its own, outside their toolchain. Sets
# QORV_<NAME>, the program to run, and QORV_<NAME>_TARGET, what to depend on.
include(ExternalProject)

function(qorv_host_tool name)
  string(TOUPPER ${name} var)
  if(NOT CMAKE_CROSSCOMPILING)
    add_subdirectory(${PROJECT_SOURCE_DIR}/tools/${name} ${CMAKE_BINARY_DIR}/tools/${name})
    set(QORV_${var} $<TARGET_FILE:qorv-${name}> PARENT_SCOPE)
    set(QORV_${var}_TARGET qorv-${name} PARENT_SCOPE)
  else()
    set(program ${CMAKE_BINARY_DIR}/${name}-host/qorv-${name})
    ExternalProject_Add(qorv_${name}_host
      SOURCE_DIR ${PROJECT_SOURCE_DIR}/tools/${name}
      BINARY_DIR ${CMAKE_BINARY_DIR}/${name}-host
      CMAKE_ARGS -DCMAKE_BUILD_TYPE=Release
      INSTALL_COMMAND ""
      BUILD_ALWAYS ON
      BUILD_BYPRODUCTS ${program})
    set(QORV_${var} ${program} PARENT_SCOPE)
    set(QORV_${var}_TARGET qorv_${name}_host PARENT_SCOPE)
  endif()
endfunction()
