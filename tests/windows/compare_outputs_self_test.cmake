# Cases the comparer of the Windows runs must get right, each a reference
# text, a candidate text and whether they count as the same.
#
# cmake -DCOMPARE=.../pelm_compare_outputs -DWORK_DIR=... -P compare_outputs_self_test.cmake

cmake_minimum_required(VERSION 3.25)

file(REMOVE_RECURSE "${WORK_DIR}")
file(MAKE_DIRECTORY "${WORK_DIR}")

set(csv_header "t,x,y,z,eta\n")
# name | same? | reference | candidate
set(cases
  "identical|same|${csv_header}0.1,0,0,-10,0.06279051952931337\n|${csv_header}0.1,0,0,-10,0.06279051952931337\n"
  "last bits differ|same|0.1,0.044752159103612514\n|0.1,0.04475215910361252\n"
  "CRLF line ends from Windows|same|In pelm_dll init, inputfile: a.inp\nok\n|In pelm_dll init, inputfile: a.inp\r\nok\r\n"
  "negative and positive zero|same|0,-0\n|0,0\n"
  "relative 1e-10|different|1.0000000001\n|1\n"
  "tiny value alone in its column|different|-2.929524617051251e-16\n|-2.929778267428924e-16\n"
  "zero crossing of a 0.6 amplitude|same|0.6\n-2.929524617051251e-16\n|0.6\n-2.929778267428924e-16\n"
  "small value beyond its column scale|different|1,5\n0.001,5\n|1,5\n0.001000001,5\n"
  "scale of another column|different|1,1e-3\n|1,1.000001e-3\n"
  "number against zero|different|1e-300\n|0\n"
  "message text|different|*** ERROR *** Error opening file: a.inp\n|*** ERROR *** Error opening file: b.inp\n"
  "number in a message|same|Line number 12 Masterfile name: a.inp\n|Line number 12 Masterfile name: a.inp\n"
  "separator|different|1,2\n|1 2\n"
  "missing line|different|a\nb\n|a\n"
  "extra field|different|1,2\n|1,2,3\n"
  "header name|different|t,x,eta\n|t,x,zeta\n"
  "NaN on one side|different|nan\n|1\n")

set(failures "")
set(index 0)
foreach(case IN LISTS cases)
  string(REPLACE "|" ";" fields "${case}")
  list(GET fields 0 name)
  list(GET fields 1 expected)
  list(GET fields 2 reference)
  list(GET fields 3 candidate)
  math(EXPR index "${index} + 1")
  file(WRITE "${WORK_DIR}/${index}.reference" "${reference}")
  file(WRITE "${WORK_DIR}/${index}.candidate" "${candidate}")
  execute_process(COMMAND "${COMPARE}" "${WORK_DIR}/${index}.reference" "${WORK_DIR}/${index}.candidate"
                  RESULT_VARIABLE status OUTPUT_VARIABLE findings)
  if(expected STREQUAL "same")
    set(expected_status 0)
  else()
    set(expected_status 1)
  endif()
  if(NOT status EQUAL expected_status)
    string(APPEND failures "  ${name}: expected ${expected}, comparer said (status ${status}):\n${findings}\n")
  endif()
endforeach()

execute_process(COMMAND "${COMPARE}" "${WORK_DIR}/1.reference" "${WORK_DIR}/no_such_file"
                RESULT_VARIABLE status OUTPUT_QUIET ERROR_QUIET)
if(NOT status EQUAL 2)
  string(APPEND failures "  a missing file gave status ${status}, expected 2\n")
endif()

if(failures)
  message(FATAL_ERROR "The comparer misjudged:\n${failures}")
endif()
message(STATUS "${index} comparer cases and a missing file judged as expected")
