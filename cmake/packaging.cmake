# Release archives made with CPack: `cmake --build --preset win32 --target
# package` gives qorv-VERSION-win32.zip (qorv.exe, c.ogg and README.txt), the
# linux preset qorv-VERSION-linux-x86_64.tar.gz (qorv, qorv-capture, c.ogg and
# README.txt), the web preset qorv-VERSION-web.zip (the site: index.html,
# qorv.js, qorv.wasm, c.ogg). Each holds one folder of the archive's own name;
# c.ogg is the soundtrack the build rendered (cmake/music.cmake).

if(EMSCRIPTEN)
  # The site folder as it is served: the page, the script and the wasm.
  set(CPACK_GENERATOR ZIP)
  set(CPACK_PACKAGE_FILE_NAME qorv-${PROJECT_VERSION}-web)
  configure_file(${PROJECT_SOURCE_DIR}/docs/release/README-web.txt.in
                 ${CMAKE_BINARY_DIR}/release/README.txt @ONLY)
  install(FILES ${QORV_SITE_DIR}/index.html ${QORV_SITE_DIR}/qorv.js ${QORV_SITE_DIR}/qorv.wasm
                ${QORV_MUSIC_OGG} ${CMAKE_BINARY_DIR}/release/README.txt DESTINATION .)
  set(CPACK_PACKAGE_NAME qorv)
  set(CPACK_PACKAGE_VENDOR qorv)
  set(CPACK_PACKAGE_DIRECTORY ${CMAKE_BINARY_DIR}/packages)
  include(CPack)
  return()
elseif(WIN32)
  set(QORV_RELEASE_TEXT README-win32.txt)
  # Windows' own editors want CRLF line ends.
  set(QORV_RELEASE_NEWLINES CRLF)
  set(QORV_RELEASE_PROGRAMS qorv)
  set(CPACK_GENERATOR ZIP)
  set(CPACK_PACKAGE_FILE_NAME qorv-${PROJECT_VERSION}-win32)
else()
  set(QORV_RELEASE_TEXT README-linux.txt)
  set(QORV_RELEASE_NEWLINES UNIX)
  set(QORV_RELEASE_PROGRAMS qorv qorv-capture)
  set(CPACK_GENERATOR TGZ)
  set(CPACK_PACKAGE_FILE_NAME qorv-${PROJECT_VERSION}-linux-${CMAKE_SYSTEM_PROCESSOR})
endif()

configure_file(${PROJECT_SOURCE_DIR}/docs/release/${QORV_RELEASE_TEXT}.in
               ${CMAKE_BINARY_DIR}/release/README.txt @ONLY NEWLINE_STYLE ${QORV_RELEASE_NEWLINES})
install(TARGETS ${QORV_RELEASE_PROGRAMS} RUNTIME DESTINATION .)
install(FILES ${QORV_MUSIC_OGG} ${CMAKE_BINARY_DIR}/release/README.txt DESTINATION .)

set(CPACK_PACKAGE_NAME qorv)
set(CPACK_PACKAGE_VENDOR qorv)
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "A self-contained real-time 3D show")
# The debugging information of RelWithDebInfo stays in the build tree.
set(CPACK_STRIP_FILES TRUE)
set(CPACK_PACKAGE_DIRECTORY ${CMAKE_BINARY_DIR}/packages)
include(CPack)
