# Cross build for 64-bit Windows from the same sources. It is not shipped: it
# runs the Windows tests under wine64 on machines whose kernel cannot execute
# 32-bit code, where the 32-bit program cannot start at all.
set(CMAKE_SYSTEM_PROCESSOR x86_64)
set(QORV_MINGW_TRIPLE x86_64-w64-mingw32)
include(${CMAKE_CURRENT_LIST_DIR}/mingw.cmake)

# Wine's 64-bit loader itself: the wine wrapper would take the 32-bit one
# wherever wine32 is installed.
find_program(QORV_WINE64 NAMES wine64 PATHS /usr/lib/wine NO_DEFAULT_PATH)
find_program(QORV_WINE64 NAMES wine64 REQUIRED)
set(CMAKE_CROSSCOMPILING_EMULATOR ${QORV_WINE64})
