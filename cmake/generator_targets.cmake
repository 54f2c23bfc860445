# qorv_generator(NAME SOURCES ... LIBRARIES ...): a build-time generator's
# library, qorv_NAME_lib (its sources, for its tests and the bench as well),
# and its program, qorv-NAME (main.cpp). Both are optimised even in Debug
# trees, so that generating stays a matter of seconds; in the sanitizer trees
# they are built and run under their sanitizers, like the rest. No fused
# multiply-add, so that every build tree writes the same bytes.
function(qorv_generator name)
  cmake_parse_arguments(PARSE_ARGV 1 arg "" "" "SOURCES;LIBRARIES")
  set(options -O2 -ffp-contract=off -Wall -Wextra -Werror)
  add_library(qorv_${name}_lib STATIC ${arg_SOURCES})
  target_compile_options(qorv_${name}_lib PRIVATE ${options})
  target_include_directories(qorv_${name}_lib PUBLIC ${CMAKE_CURRENT_SOURCE_DIR})
  target_link_libraries(qorv_${name}_lib PUBLIC ${arg_LIBRARIES})
  add_executable(qorv-${name} main.cpp)
  target_compile_options(qorv-${name} PRIVATE ${options})
  target_link_libraries(qorv-${name} PRIVATE qorv_${name}_lib)
endfunction()
