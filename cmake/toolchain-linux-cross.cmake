# Shared part of the toolchain files for Linux on other processors, with
# Debian's cross compilers: the including file sets FIELDSIFT_LINUX_TRIPLE,
# CMAKE_SYSTEM_PROCESSOR and FIELDSIFT_QEMU first.
set(CMAKE_SYSTEM_NAME Linux)

set(CMAKE_C_COMPILER ${FIELDSIFT_LINUX_TRIPLE}-gcc)
set(CMAKE_CXX_COMPILER ${FIELDSIFT_LINUX_TRIPLE}-g++)

# Libraries and headers come from the target's tree only, never the host's.
set(CMAKE_FIND_ROOT_PATH /usr/${FIELDSIFT_LINUX_TRIPLE})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)

# Linked statically, the programs run under qemu's user-mode emulation
# without a tree of the target's libraries.
set(CMAKE_EXE_LINKER_FLAGS_INIT "-static")
set(CMAKE_CROSSCOMPILING_EMULATOR /usr/bin/qemu-${FIELDSIFT_QEMU}-static)
