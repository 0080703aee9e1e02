# Runs the same `pelm run` twice, each in a fresh folder and process, and
# requires every byte of the two runs to agree: standard output and error,
# the exit status, and every file written (the CSV, fort.98).
#
# cmake -DPELM=... -DEXAMPLES=... -DEXAMPLE=x.inp -DWORK_DIR=... -P run_twice.cmake

cmake_minimum_required(VERSION 3.25)

file(REMOVE_RECURSE "${WORK_DIR}")
foreach(run IN ITEMS first second)
  set(folder "${WORK_DIR}/${run}")
  file(MAKE_DIRECTORY "${folder}")
  file(COPY "${EXAMPLES}" DESTINATION "${folder}")
  execute_process(COMMAND "${PELM}" run "examples/${EXAMPLE}" --t-end 30 --point 0,0,0
                          --point 0,0,-10 --point 12.5,-7,-3 --point -40,15,-25
                  WORKING_DIRECTORY "${folder}" RESULT_VARIABLE status_${run}
                  OUTPUT_FILE "${WORK_DIR}/${run}.stdout" ERROR_FILE "${WORK_DIR}/${run}.stderr")
  file(REMOVE_RECURSE "${folder}/examples")
  file(GLOB_RECURSE written_${run} RELATIVE "${folder}" "${folder}/*")
endforeach()

set(failures "")
if(NOT status_first STREQUAL status_second)
  string(APPEND failures "  exit status ${status_first} and ${status_second}\n")
endif()
if(NOT written_first STREQUAL written_second)
  string(APPEND failures "  files written [${written_first}] and [${written_second}]\n")
endif()
foreach(stream IN ITEMS stdout stderr)
  file(SHA256 "${WORK_DIR}/first.${stream}" a)
  file(SHA256 "${WORK_DIR}/second.${stream}" b)
  if(NOT a STREQUAL b)
    string(APPEND failures "  standard ${stream} differs\n")
  endif()
endforeach()
foreach(file IN LISTS written_first)
  file(SHA256 "${WORK_DIR}/first/${file}" a)
  file(SHA256 "${WORK_DIR}/second/${file}" b)
  if(NOT a STREQUAL b)
    string(APPEND failures "  ${file} differs\n")
  endif()
endforeach()
if(NOT written_first MATCHES "pelm_output.csv")
  string(APPEND failures "  no pelm_output.csv was written\n")
endif()
if(failures)
  message(FATAL_ERROR "two runs of ${EXAMPLE} differ:\n${failures}(kept in ${WORK_DIR})")
endif()
list(LENGTH written_first count)
message(STATUS "${EXAMPLE}: two runs identical to the byte (${count} files, status ${status_first})")
