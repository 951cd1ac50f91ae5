# Shared part of the MinGW-w64 toolchain files: the including file sets
# FIELDSIFT_MINGW_TRIPLE and CMAKE_SYSTEM_PROCESSOR first.
set(CMAKE_SYSTEM_NAME Windows)

set(CMAKE_C_COMPILER ${FIELDSIFT_MINGW_TRIPLE}-gcc)
set(CMAKE_CXX_COMPILER ${FIELDSIFT_MINGW_TRIPLE}-g++)
set(CMAKE_RC_COMPILER ${FIELDSIFT_MINGW_TRIPLE}-windres)

# Libraries and headers come from the target's tree only, never the host's.
set(CMAKE_FIND_ROOT_PATH /usr/${FIELDSIFT_MINGW_TRIPLE})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)

# The compiler's runtime goes into each program, so it needs no DLL beyond the system's.
set(CMAKE_EXE_LINKER_FLAGS_INIT "-static -static-libgcc -static-libstdc++")
