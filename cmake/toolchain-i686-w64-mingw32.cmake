# 32-bit Windows, the program's own platform (Debian: g++-mingw-w64-i686-win32).
set(FIELDSIFT_MINGW_TRIPLE i686-w64-mingw32)
set(CMAKE_SYSTEM_PROCESSOR x86)
include(${CMAKE_CURRENT_LIST_DIR}/toolchain-mingw-w64.cmake)
