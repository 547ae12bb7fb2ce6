# Builds the Debian package into a scratch folder and checks it: the files
# that an installed console tool carries, its Depends field, and lintian,
# which must report neither an error nor a warning.
#
#   cmake -D CPACK=cpack -D CONFIG=CPackConfig.cmake -D OUT=folder -P deb_check.cmake
foreach(tool dpkg-deb lintian)
  find_program(${tool}_found ${tool})
  if(NOT ${tool}_found)
    message("deb_check.cmake: Skipped\n${tool} is not installed (apt-get install dpkg-dev lintian)")
    return()
  endif()
endforeach()

file(REMOVE_RECURSE "${OUT}")
execute_process(COMMAND ${CPACK} --config ${CONFIG} -G DEB -B ${OUT}
                RESULT_VARIABLE result OUTPUT_VARIABLE output ERROR_VARIABLE output)
file(GLOB deb "${OUT}/qkeditor_*.deb")
if(NOT result EQUAL 0 OR NOT deb)
  message(FATAL_ERROR "cpack made no Debian package:\n${output}")
endif()

execute_process(COMMAND dpkg-deb --contents ${deb} OUTPUT_VARIABLE contents)
foreach(path usr/bin/qkeditor usr/share/man/man1/qkeditor.1.gz
             usr/share/doc/qkeditor/README.md usr/share/doc/qkeditor/copyright)
  if(NOT contents MATCHES " \\./${path}\n")
    message(FATAL_ERROR "${deb} lacks /${path}:\n${contents}")
  endif()
endforeach()
execute_process(COMMAND dpkg-deb --field ${deb} Depends OUTPUT_VARIABLE depends)
if(NOT depends MATCHES "(^|, )libc6 ")
  message(FATAL_ERROR "${deb} does not depend on the C library: Depends: ${depends}")
endif()

execute_process(COMMAND lintian --fail-on error,warning ${deb}
                RESULT_VARIABLE result OUTPUT_VARIABLE output ERROR_VARIABLE output)
if(NOT result EQUAL 0)
  message(FATAL_ERROR "lintian ${deb}:\n${output}")
endif()
