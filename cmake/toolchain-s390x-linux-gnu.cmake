# 64-bit big-endian IBM Z Linux (Debian: g++-s390x-linux-gnu).
set(FIELDSIFT_LINUX_TRIPLE s390x-linux-gnu)
set(CMAKE_SYSTEM_PROCESSOR s390x)
set(FIELDSIFT_QEMU s390x)
include(${CMAKE_CURRENT_LIST_DIR}/toolchain-linux-cross.cmake)
