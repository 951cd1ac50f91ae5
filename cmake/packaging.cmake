# What is installed, and the packages made of it: on Linux a Debian package
# (`cmake --workflow --preset package`), for Windows a zip per build
# (`cmake --workflow --preset win32-package`, `win64-package`).

set(CPACK_PACKAGE_NAME fieldsift)
set(CPACK_PACKAGE_VENDOR "the fieldsift authors")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "copy header fields, folded lines and all, out of mail text")
set(CPACK_PACKAGE_DESCRIPTION
    "fieldsift reads mail text on standard input and writes every line that
starts the named header field, together with the field's continuation
lines. It reads CR LF and LF input alike, writes CR LF line ends, and
copies bytes exactly, in one pass over a message or a whole mailbox.

headsift writes the header of each message in an mbox mailbox or in
files of one message each, such as a Maildir's, and nothing of the
bodies, byte for byte, so that fieldsift after it finds the fields of
the headers alone.")
set(CPACK_PACKAGE_CONTACT
    "fieldsift maintainers <maintainers@users.noreply.c-seed-1020eb68.example>")
set(CPACK_RESOURCE_FILE_LICENSE ${PROJECT_SOURCE_DIR}/LICENSE)
set(CPACK_STRIP_FILES ON)

set(docs ${CMAKE_BINARY_DIR}/docs)
# The programs (FIELDSIFT_PROGRAMS, from the top-level list) each have a
# manual page of the same name in man/.
set(pages)
foreach(program ${FIELDSIFT_PROGRAMS})
  list(APPEND pages ${PROJECT_SOURCE_DIR}/man/${program}.1)
endforeach()
if(WIN32)
  # A folder of its own for a Windows user: the programs, their manuals as
  # pages of HTML that lead with the cmd.exe and PowerShell usage, a readme
  # for cmd.exe and PowerShell and the licence with CR LF line ends, and the
  # examples folder whose files the manuals and the readme name.
  find_program(FIELDSIFT_AWK NAMES awk mawk gawk REQUIRED)
  find_program(FIELDSIFT_MANDOC mandoc)
  find_program(FIELDSIFT_GROFF groff)
  if(FIELDSIFT_MANDOC)
    set(render ${FIELDSIFT_MANDOC} -T html)
  elseif(FIELDSIFT_GROFF)
    set(render ${FIELDSIFT_GROFF} -man -T html)
  else()
    set(render ${CMAKE_COMMAND} -E false)  # packaging then fails, saying so below
    message(STATUS "Neither mandoc nor groff: the Windows package cannot hold the manuals")
  endif()
  set(manuals)
  set(windows_page ${PROJECT_SOURCE_DIR}/packaging/windows-page.awk)
  foreach(program ${FIELDSIFT_PROGRAMS})
    add_custom_command(OUTPUT ${docs}/${program}.html
      COMMAND ${CMAKE_COMMAND} -E make_directory ${docs}
      COMMAND ${FIELDSIFT_AWK} -f ${windows_page} ${PROJECT_SOURCE_DIR}/man/${program}.1
              > ${docs}/${program}.1
      COMMAND ${render} ${docs}/${program}.1 > ${docs}/${program}.html
      DEPENDS ${PROJECT_SOURCE_DIR}/man/${program}.1 ${windows_page} VERBATIM)
    list(APPEND manuals ${docs}/${program}.html)
  endforeach()
  foreach(pair "packaging/README-windows.txt=README.txt" "LICENSE=LICENSE.txt")
    string(REPLACE "=" ";" pair ${pair})
    list(GET pair 0 from)
    list(GET pair 1 to)
    add_custom_command(OUTPUT ${docs}/${to}
      COMMAND ${CMAKE_COMMAND} -DIN=${PROJECT_SOURCE_DIR}/${from} -DOUT=${docs}/${to}
              -P ${PROJECT_SOURCE_DIR}/cmake/crlf.cmake
      DEPENDS ${PROJECT_SOURCE_DIR}/${from} ${PROJECT_SOURCE_DIR}/cmake/crlf.cmake VERBATIM)
  endforeach()
  add_custom_target(fieldsift_docs DEPENDS ${manuals} ${docs}/README.txt ${docs}/LICENSE.txt)
  install(TARGETS ${FIELDSIFT_PROGRAMS} RUNTIME DESTINATION .)
  install(FILES ${docs}/README.txt ${docs}/LICENSE.txt ${manuals} DESTINATION .)
  install(DIRECTORY ${PROJECT_SOURCE_DIR}/examples DESTINATION .)

  set(CPACK_GENERATOR ZIP)
  set(CPACK_INCLUDE_TOPLEVEL_DIRECTORY OFF)
  if(CMAKE_SIZEOF_VOID_P EQUAL 8)
    set(CPACK_PACKAGE_FILE_NAME fieldsift-${PROJECT_VERSION}-win64)
  else()
    set(CPACK_PACKAGE_FILE_NAME fieldsift-${PROJECT_VERSION}-win32)
  endif()
else()
  # Debian's way: the manual pages and the changelog compressed with gzip -9n
  # (no name or time stamp inside, so the bytes are the same every build),
  # and the licence as a machine-readable copyright file.
  set(manuals)
  foreach(source ${pages} ${PROJECT_SOURCE_DIR}/packaging/changelog)
    get_filename_component(name ${source} NAME)
    add_custom_command(OUTPUT ${docs}/${name}.gz
      COMMAND ${CMAKE_COMMAND} -E make_directory ${docs}
      COMMAND sh -c "gzip -9n < \"$0\" > \"$1\"" ${source} ${docs}/${name}.gz
      DEPENDS ${source} VERBATIM)
    if(source IN_LIST pages)
      list(APPEND manuals ${docs}/${name}.gz)
    endif()
  endforeach()
  add_custom_target(fieldsift_docs ALL DEPENDS ${manuals} ${docs}/changelog.gz)
  install(TARGETS ${FIELDSIFT_PROGRAMS} RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
  # A stripped install (the package's) also drops the compilers' notes, as
  # Debian's own tools do.
  foreach(program ${FIELDSIFT_PROGRAMS})
    install(CODE "if(CMAKE_INSTALL_DO_STRIP)
      execute_process(COMMAND \"${CMAKE_OBJCOPY}\" --remove-section=.comment --remove-section=.note
        \"\$ENV{DESTDIR}\${CMAKE_INSTALL_PREFIX}/${CMAKE_INSTALL_BINDIR}/${program}\" COMMAND_ERROR_IS_FATAL ANY)
    endif()")
  endforeach()
  install(FILES ${manuals} DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)
  install(FILES ${PROJECT_SOURCE_DIR}/packaging/copyright ${docs}/changelog.gz
          DESTINATION ${CMAKE_INSTALL_DOCDIR})
  # Everything the manuals' examples read, so that they run in the installed
  # doc folder as in the source folder.
  install(DIRECTORY ${PROJECT_SOURCE_DIR}/examples DESTINATION ${CMAKE_INSTALL_DOCDIR})

  set(CPACK_GENERATOR DEB)
  set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
  set(CPACK_DEBIAN_PACKAGE_MAINTAINER "${CPACK_PACKAGE_CONTACT}")
  set(CPACK_DEBIAN_PACKAGE_SECTION utils)
  set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
  # dpkg-shlibdeps (from dpkg-dev) finds the shared libraries the binary needs
  # and their versions, so the Depends field matches the machine that built it.
  set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
endif()

include(CPack)
