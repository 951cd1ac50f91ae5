# 64-bit Windows (Debian: g++-mingw-w64-x86-64-win32). The same sources as the
# 32-bit program; used to run the Windows tests under a 64-bit-only Wine on
# machines that cannot execute 32-bit code.
set(FIELDSIFT_MINGW_TRIPLE x86_64-w64-mingw32)
set(CMAKE_SYSTEM_PROCESSOR AMD64)
include(${CMAKE_CURRENT_LIST_DIR}/toolchain-mingw-w64.cmake)
