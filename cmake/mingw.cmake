# What both mingw-w64 cross builds share; the toolchain files set
# QORV_MINGW_TRIPLE and include this.
set(CMAKE_SYSTEM_NAME Windows)

# The posix thread model gives std::mutex and std::condition_variable, which
# GoogleTest needs; linked statically like the rest of the runtime.
set(CMAKE_C_COMPILER ${QORV_MINGW_TRIPLE}-gcc-posix)
set(CMAKE_CXX_COMPILER ${QORV_MINGW_TRIPLE}-g++-posix)
set(CMAKE_RC_COMPILER ${QORV_MINGW_TRIPLE}-windres)
set(CMAKE_ASM_COMPILER ${QORV_MINGW_TRIPLE}-gcc-posix)

set(CMAKE_FIND_ROOT_PATH /usr/${QORV_MINGW_TRIPLE})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)

# The runtime goes into the executable, so it needs only the DLLs of Windows.
set(CMAKE_EXE_LINKER_FLAGS_INIT "-static -static-libgcc -static-libstdc++")
