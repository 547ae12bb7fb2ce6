# Builds the Debian package into a scratch folder and checks it: the files
# that an installed console tool carries and nothing else (no lintian
# override among them), its Depends field, which names the shared libraries
# the program loads (DEPENDS, package names), its copyright file, and
# lintian, which must report no error, warning or information tag. The one that stays is lintian's
# "hardening-no-fortify-functions": the program's only unchecked calls are
# copies whose sizes are known only at run time, which no compiler can check.
#
#   cmake -D CPACK=cpack -D CONFIG=CPackConfig.cmake -D OUT=folder -D "DEPENDS=libc6;libstdc++6" \
#         -P deb_check.cmake
foreach(tool dpkg-deb lintian)
  find_program(${tool}_found ${tool})
  if(NOT ${tool}_found)
    message("deb_check.cmake: Skipped\n${tool} is not installed (apt-get install dpkg-dev lintian)")
    return()
  endif()
endforeach()

include(${CMAKE_CURRENT_LIST_DIR}/pack_afresh.cmake)
pack_afresh(DEB "qkeditor_*.deb" deb)

execute_process(COMMAND dpkg-deb --contents ${deb} OUTPUT_VARIABLE contents)
string(REGEX MATCHALL " \\./[^\n]*[^/]\n" files "${contents}")
string(REPLACE "\n" "" files "${files}")
set(expected_files " ./usr/bin/qkeditor" " ./usr/share/doc/qkeditor/README.md"
    " ./usr/share/doc/qkeditor/changelog.gz" " ./usr/share/doc/qkeditor/copyright"
    " ./usr/share/man/man1/qkeditor.1.gz")
if(NOT files STREQUAL expected_files)
  message(FATAL_ERROR "${deb} holds other files than ${expected_files}:\n${contents}")
endif()
execute_process(COMMAND dpkg-deb --field ${deb} Depends OUTPUT_VARIABLE depends)
# The package names alone, without their versions: "libstdc++6" is no regex.
string(REGEX REPLACE " *\\([^)]*\\)|\n" "" names "${depends}")
string(REPLACE ", " ";" names "${names}")
foreach(package ${DEPENDS})
  list(FIND names ${package} at)
  if(at EQUAL -1)
    message(FATAL_ERROR "${deb} does not depend on ${package}: Depends: ${depends}")
  endif()
endforeach()

# The copyright file claims only what is true: every file is the developers'
# own (one stanza, for all of them), and no library that the program loads
# shared from its own package is said to be carried in it.
execute_process(COMMAND dpkg-deb --extract ${deb} ${OUT}/root)
file(READ ${OUT}/root/usr/share/doc/qkeditor/copyright copyright)
string(REGEX MATCHALL "(^|\n)Files:[^\n]*" stanzas "${copyright}")
if(NOT stanzas STREQUAL "\nFiles: *" AND NOT stanzas STREQUAL "Files: *")
  message(FATAL_ERROR "${deb}: the copyright file has other stanzas than \"Files: *\": ${stanzas}")
endif()
execute_process(COMMAND objdump -p ${OUT}/root/usr/bin/qkeditor OUTPUT_VARIABLE headers)
string(REGEX MATCHALL "NEEDED +lib[^.]+" loaded "${headers}")
list(TRANSFORM loaded REPLACE "NEEDED +" "")
foreach(library ${loaded})
  string(FIND "${copyright}" "${library}" claimed)
  if(NOT claimed EQUAL -1)
    message(FATAL_ERROR "${deb}: the copyright file speaks of ${library}, which the program loads shared")
  endif()
endforeach()

execute_process(COMMAND lintian -I --fail-on error,warning,info --suppress-tags hardening-no-fortify-functions
                        ${deb}
                RESULT_VARIABLE result OUTPUT_VARIABLE output ERROR_VARIABLE output)
if(NOT result EQUAL 0)
  message(FATAL_ERROR "lintian ${deb}:\n${output}")
endif()
