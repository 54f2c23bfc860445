# The soundtrack: qorv-musicgen renders music/score.txt at build time and
# writes c.ogg where each build's program and tools look for it: beside qorv
# (Linux, Windows) and qorv-capture, or beside index.html (the browser). It
# runs once per build tree, and again only when its sources or the score
# change.

set(QORV_SCORE ${PROJECT_SOURCE_DIR}/music/score.txt)
if(EMSCRIPTEN)
  set(QORV_MUSIC_OGG ${QORV_SITE_DIR}/c.ogg)
else()
  set(QORV_MUSIC_OGG ${CMAKE_BINARY_DIR}/src/c.ogg)
endif()
# The mix before encoding, for the tests that measure it.
set(QORV_MUSIC_MIX ${CMAKE_BINARY_DIR}/music/mix.f32)

qorv_host_tool(musicgen)

set(qorv_music_outputs ${QORV_MUSIC_OGG} ${QORV_MUSIC_MIX})
set(qorv_music_copies)
if(NOT WIN32 AND NOT EMSCRIPTEN)
  # qorv-capture --video looks beside itself when its working folder has none.
  set(qorv_music_copies COMMAND ${CMAKE_COMMAND} -E copy ${QORV_MUSIC_OGG}
                        ${CMAKE_BINARY_DIR}/tools/capture/c.ogg)
  list(APPEND qorv_music_outputs ${CMAKE_BINARY_DIR}/tools/capture/c.ogg)
endif()
add_custom_command(
  OUTPUT ${qorv_music_outputs}
  COMMAND ${CMAKE_COMMAND} -E make_directory ${CMAKE_BINARY_DIR}/music
  COMMAND ${QORV_MUSICGEN} ${QORV_SCORE} ${QORV_MUSIC_OGG} --mix ${QORV_MUSIC_MIX}
  ${qorv_music_copies}
  DEPENDS ${QORV_MUSICGEN_TARGET} ${QORV_MUSICGEN} ${QORV_SCORE}
  COMMENT "Rendering the soundtrack (c.ogg) from music/score.txt"
  VERBATIM)
add_custom_target(qorv_music ALL DEPENDS ${qorv_music_outputs})
# Building the show builds its music.
add_dependencies(qorv qorv_music)
if(TARGET qorv-capture)
  add_dependencies(qorv-capture qorv_music)
endif()
if(TARGET docs)
  # The README's spectrogram of the soundtrack, with the show's moments marked,
  # made with the contact sheet beside it.
  add_custom_target(docs_soundtrack
    COMMAND bash ${PROJECT_SOURCE_DIR}/tools/musicgen/sonogram.sh ${QORV_MUSIC_OGG}
            ${PROJECT_SOURCE_DIR}/docs/soundtrack-spectrogram.png
    DEPENDS qorv_music
    COMMENT "Drawing docs/soundtrack-spectrogram.png"
    VERBATIM)
  add_dependencies(docs docs_soundtrack)
endif()
