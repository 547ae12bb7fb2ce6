# Packs the Windows .zip into a scratch folder and checks it: the program
# and its documents, and beside them the licence notices of the run-time
# libraries that qkeditor.exe carries linked in (mingw-w64's, winpthreads
# among them, and GCC's), nothing else.
#
#   cmake -D CPACK=cpack -D CONFIG=build/windows/CPackConfig.cmake -D OUT=folder -P zip_check.cmake
include(${CMAKE_CURRENT_LIST_DIR}/pack_afresh.cmake)
pack_afresh(ZIP "qkeditor-*.zip" zip)

file(MAKE_DIRECTORY "${OUT}/unpacked")
execute_process(COMMAND ${CMAKE_COMMAND} -E tar xf ${zip} WORKING_DIRECTORY "${OUT}/unpacked")
file(GLOB_RECURSE files RELATIVE "${OUT}/unpacked" "${OUT}/unpacked/*")
list(TRANSFORM files REPLACE "^[^/]*/" "")
list(SORT files)
set(expected LICENSE LICENSE.gcc-runtime.txt LICENSE.mingw-w64.txt README.md qkeditor.exe)
if(NOT files STREQUAL expected)
  message(FATAL_ERROR "${zip} holds ${files}, not ${expected}")
endif()

file(GLOB_RECURSE notice "${OUT}/unpacked/*/LICENSE.mingw-w64.txt")
file(STRINGS "${notice}" winpthreads REGEX "^Files: mingw-w64-libraries/winpthreads/")
file(GLOB_RECURSE notice "${OUT}/unpacked/*/LICENSE.gcc-runtime.txt")
file(STRINGS "${notice}" exception REGEX "GCC RUNTIME LIBRARY EXCEPTION")
if(NOT winpthreads OR NOT exception)
  message(FATAL_ERROR "${zip}: the licence notices lack winpthreads' or the GCC runtime's terms")
endif()
