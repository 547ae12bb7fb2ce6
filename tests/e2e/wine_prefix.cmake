# The Wine tests' fixture: makes the Wine prefix, or brings it up to date
# (about half a minute the first time, a second or two afterwards), and
# keeps Wine's loader from updating it on its own during the run.
#
#   cmake -D LOADER=wine64 -D PREFIX=folder -P wine_prefix.cmake
#
# Wine's messages go to a file beside the prefix, not to a pipe: the Wine
# server that the boot starts outlives it and would hold a pipe open.
set(log "${PREFIX}.log")
execute_process(
  COMMAND ${CMAKE_COMMAND} -E env WINEPREFIX=${PREFIX} WINEDEBUG=-all
          "WINEDLLOVERRIDES=mscoree,mshtml=;winemenubuilder.exe=d"
          ${LOADER} wineboot --init
  INPUT_FILE /dev/null
  OUTPUT_FILE "${log}"
  ERROR_FILE "${log}"
  TIMEOUT 240
  RESULT_VARIABLE result
)
if(NOT result EQUAL 0)
  file(READ "${log}" messages)
  message(FATAL_ERROR "wineboot failed (${result}) for the prefix ${PREFIX}:\n${messages}")
endif()
# Wine's loader compares the prefix's time stamp with its own files' times,
# and brings the prefix up to date by itself where they differ, printing a
# line above the program's screen. Under libfaketime (the leftover clock
# check) those times are an hour off, so every program started after it would
# do so: this fixture alone brings the prefix up to date.
file(WRITE "${PREFIX}/.update-timestamp" "disable\n")
message(STATUS "Wine prefix ready: ${PREFIX}")
