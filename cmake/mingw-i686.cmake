# Cross build for 32-bit Windows with mingw-w64: the program we ship. Its
# tests run under Wine's 32-bit loader.
set(CMAKE_SYSTEM_PROCESSOR i686)
set(QORV_MINGW_TRIPLE i686-w64-mingw32)
include(${CMAKE_CURRENT_LIST_DIR}/mingw.cmake)

# i686 defaults to x87 arithmetic, which keeps running sums at 80 bits and so
# breaks the single-precision rounding the math library promises. SSE2 rounds
# every operation to the declared type.
set(CMAKE_C_FLAGS_INIT "-msse2 -mfpmath=sse")
set(CMAKE_CXX_FLAGS_INIT "-msse2 -mfpmath=sse")

set(CMAKE_CROSSCOMPILING_EMULATOR wine)
