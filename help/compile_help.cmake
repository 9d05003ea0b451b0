# Runs chmcmd quietly: its banner and notes are dropped, anything else it says (a page that links
# to a missing file, a failure) stops the build. chmcmd reports some failures only in its output
# and still exits 0, so the written file is checked too.
# Arguments: CHMCMD, WORK (folder holding the project), PROJECT_FILE, OUTPUT (where the .chm goes).
string(REGEX REPLACE "\\.hhp$" ".chm" compiled ${WORK}/${PROJECT_FILE})
file(REMOVE ${compiled})
execute_process(
  COMMAND ${CHMCMD} --verbosity 0 ${PROJECT_FILE}
  WORKING_DIRECTORY ${WORK}
  RESULT_VARIABLE result
  OUTPUT_VARIABLE output
  ERROR_VARIABLE output)

string(REPLACE "\n" ";" lines "${output}")
set(problems "")
foreach(line IN LISTS lines)
  string(STRIP "${line}" line)
  if(line STREQUAL "" OR line MATCHES "^(Note:|Writing CHM |chmcmd, a CHM compiler)")
    continue()
  endif()
  string(APPEND problems "${line}\n")
endforeach()

if(NOT result EQUAL 0 OR NOT problems STREQUAL "" OR NOT EXISTS ${compiled})
  message(FATAL_ERROR "chmcmd failed (exit ${result}) on ${WORK}/${PROJECT_FILE}:\n${output}")
endif()
file(COPY_FILE ${compiled} ${OUTPUT})
