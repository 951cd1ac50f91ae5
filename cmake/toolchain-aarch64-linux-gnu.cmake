# 64-bit ARM Linux (Debian: g++-aarch64-linux-gnu).
set(FIELDSIFT_LINUX_TRIPLE aarch64-linux-gnu)
set(CMAKE_SYSTEM_PROCESSOR aarch64)
set(FIELDSIFT_QEMU aarch64)
include(${CMAKE_CURRENT_LIST_DIR}/toolchain-linux-cross.cmake)
