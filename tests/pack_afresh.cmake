# For the package checks: packs the package of the CPack generator
# `generator` afresh into the scratch folder OUT, with the configuration
# CONFIG and the cpack command CPACK, and sets `package_var` to the file
# whose name matches `pattern`; fails where cpack makes none.
function(pack_afresh generator pattern package_var)
  file(REMOVE_RECURSE "${OUT}")
  execute_process(COMMAND ${CPACK} --config ${CONFIG} -G ${generator} -B ${OUT}
                  RESULT_VARIABLE result OUTPUT_VARIABLE output ERROR_VARIABLE output)
  file(GLOB package "${OUT}/${pattern}")
  if(NOT result EQUAL 0 OR NOT package)
    message(FATAL_ERROR "cpack made no ${generator} package:\n${output}")
  endif()
  set(${package_var} ${package} PARENT_SCOPE)
endfunction()
