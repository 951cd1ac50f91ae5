# The Debian package: the program and its manual page, built with
# `cmake --workflow --preset package` (or `cpack --preset release`).

set(CPACK_PACKAGE_NAME fieldsift)
set(CPACK_PACKAGE_VENDOR "fieldsift maintainers")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY
    "copy one header field, folded lines and all, out of mail text")
set(CPACK_PACKAGE_DESCRIPTION
    "fieldsift reads mail text on standard input and writes every line that
starts the named header field, together with the field's continuation
lines. It reads CR LF and LF input alike, writes CR LF line ends, and
copies bytes exactly, in one pass over a message or a whole mailbox.")
set(CPACK_PACKAGE_CONTACT
    "fieldsift maintainers <maintainers@users.noreply.c-seed-1020eb68.example>")
set(CPACK_STRIP_FILES ON)

if(NOT WIN32)
  set(CPACK_GENERATOR DEB)
endif()
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_MAINTAINER "${CPACK_PACKAGE_CONTACT}")
set(CPACK_DEBIAN_PACKAGE_SECTION utils)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
# dpkg-shlibdeps (from dpkg-dev) finds the shared libraries the binary needs
# and their versions, so the Depends field matches the machine that built it.
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)

include(CPack)
