# 32-bit x86 Linux at the plain i686 baseline, without SSE2, so the portable
# byte scans run in a 32-bit program (Debian: g++-i686-linux-gnu).
set(FIELDSIFT_LINUX_TRIPLE i686-linux-gnu)
set(CMAKE_SYSTEM_PROCESSOR i686)
set(FIELDSIFT_QEMU i386)
set(CMAKE_CXX_FLAGS_INIT "-march=i686 -mno-sse2")
include(${CMAKE_CURRENT_LIST_DIR}/toolchain-linux-cross.cmake)
