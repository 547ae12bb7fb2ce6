# Installation and release packages (make package). On Linux the program
# goes under a prefix (bin/, share/man/man1/, share/doc/qkeditor/), packed as
# a .tar.gz and as a Debian package; on Windows the program, its documents
# and the licence notices of what it carries sit side by side in a .zip, as a
# Windows user unpacks it.
if(WIN32)
  install(TARGETS qkeditor RUNTIME DESTINATION .)
  install(FILES README.md LICENSE DESTINATION .)
  # The .exe carries mingw-w64's run-time (its start-up code and winpthreads)
  # and GCC's (libstdc++ and libgcc) linked in: their licence notices go
  # beside it, taken from Debian's packages of the cross compiler.
  foreach(notice mingw-w64:mingw-w64-x86-64-dev gcc-runtime:gcc-mingw-w64-base)
    string(REPLACE ":" ";" notice ${notice})
    list(GET notice 0 name)
    list(GET notice 1 package)
    set(copyright /usr/share/doc/${package}/copyright)
    if(EXISTS ${copyright})
      install(FILES ${copyright} DESTINATION . RENAME LICENSE.${name}.txt)
    else()
      install(CODE "message(FATAL_ERROR \"${copyright} not found: the licence notice of ${name}, which \"
                                        \"qkeditor.exe carries, cannot be shipped (apt-get install ${package})\")")
    endif()
  endforeach()
  set(CPACK_GENERATOR ZIP)
else()
  include(GNUInstallDirs)

  # The manual page and the changelog, compressed as Debian installs them;
  # gzip -n leaves out the name and time, so each build gives the same bytes.
  set(compressed_documents)
  foreach(document doc/qkeditor.1 packaging/changelog)
    get_filename_component(name ${document} NAME)
    set(compressed ${PROJECT_BINARY_DIR}/${name}.gz)
    add_custom_command(OUTPUT ${compressed}
      COMMAND sh -c "gzip -9 -n < \"$1\" > \"$2\"" gzip ${PROJECT_SOURCE_DIR}/${document} ${compressed}
      DEPENDS ${document}
      VERBATIM
    )
    list(APPEND compressed_documents ${compressed})
  endforeach()
  add_custom_target(compressed_documents ALL DEPENDS ${compressed_documents})

  install(TARGETS qkeditor RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
  install(FILES ${PROJECT_BINARY_DIR}/qkeditor.1.gz DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)
  install(FILES README.md packaging/copyright ${PROJECT_BINARY_DIR}/changelog.gz
          DESTINATION ${CMAKE_INSTALL_DOCDIR})

  # The changelog's latest entry names the version that the package carries.
  file(STRINGS packaging/changelog changelog_head LIMIT_COUNT 1)
  if(NOT changelog_head MATCHES "^qkeditor \\(${PROJECT_VERSION}\\) ")
    message(FATAL_ERROR "packaging/changelog does not start with version ${PROJECT_VERSION}: ${changelog_head}")
  endif()

  set(CPACK_GENERATOR TGZ DEB)
  set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
  set(CPACK_DEBIAN_PACKAGE_SECTION utils)
  set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
  set(CPACK_DEBIAN_PACKAGE_MAINTAINER
      "qkeditor maintainers <maintainers@users.noreply.c-seed-2331838e.example>")
  # Depends: from the libraries the program links, through dpkg-shlibdeps.
  set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
  set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "console editor for a game server's account and character files")
  set(CPACK_PACKAGE_DESCRIPTION
      "For the operator of an online game server that keeps its accounts and\n"
      "characters as plain text files, one file per account or character, in\n"
      "the folder trees Account and Character. Started in the server's data\n"
      "folder, it offers a one-key menu to create the account folder tree,\n"
      "create an account file, show the bucket code of a character and create\n"
      "a game-master character file, each in the server's own format.")
  string(JOIN "" CPACK_PACKAGE_DESCRIPTION ${CPACK_PACKAGE_DESCRIPTION})
endif()

set(CPACK_STRIP_FILES ON)
include(CPack)
