# Runs a command with the Linux build and its counterpart with the Windows
# build under wine (pelm.exe + pelm_dll.dll, or another host of the DLL), and
# requires the same behaviour: the same exit status, the same console lines
# on standard output and standard error, the same set of files written, and
# in every file and line the same text with numbers equal within the
# comparer's tolerance (compare_outputs.cpp).
#
# Each run gets a folder of its own holding copies of the input folders, and
# both get the same relative input path, so that messages that name a file
# read the same and files that the library writes (fort.98) do not collide.
#
# cmake -DLINUX_COMMAND=build/pelm|run|examples/x.inp|...
#       -DWINDOWS_COMMAND=wine|.../pelm.exe|run|examples/x.inp|...
#       -DCOMPARE=... -DWORK_DIR=... -DINPUT_DIRS=src1|src2
#       -DEXPECT=success|failure -P compare_with_linux.cmake

cmake_minimum_required(VERSION 3.25)

string(REPLACE "|" ";" input_dirs "${INPUT_DIRS}")
string(REPLACE "|" ";" linux_command "${LINUX_COMMAND}")
string(REPLACE "|" ";" windows_command "${WINDOWS_COMMAND}")
# A run of the whole window takes a second on Linux; wine's start adds a few.
set(run_timeout 600)

file(REMOVE_RECURSE "${WORK_DIR}")
file(MAKE_DIRECTORY "${WORK_DIR}")
file(WRITE "${WORK_DIR}/empty_stdin" "")

# Runs the command in WORK_DIR/<platform>; sets <platform>_status and the
# list <platform>_written of files that the run created there.
function(run platform)
  set(folder "${WORK_DIR}/${platform}")
  file(MAKE_DIRECTORY "${folder}")
  foreach(dir IN LISTS input_dirs)
    file(COPY "${dir}" DESTINATION "${folder}")
  endforeach()
  file(GLOB_RECURSE before RELATIVE "${folder}" "${folder}/*")
  # Standard input is empty, so a library pause for the operator cannot hang.
  execute_process(COMMAND ${ARGN}
                  WORKING_DIRECTORY "${folder}"
                  INPUT_FILE "${WORK_DIR}/empty_stdin"
                  OUTPUT_FILE "${WORK_DIR}/${platform}.stdout"
                  ERROR_FILE "${WORK_DIR}/${platform}.stderr"
                  RESULT_VARIABLE status
                  TIMEOUT ${run_timeout})
  file(GLOB_RECURSE after RELATIVE "${folder}" "${folder}/*")
  if(before)
    list(REMOVE_ITEM after ${before})
  endif()
  list(SORT after)
  set(${platform}_status "${status}" PARENT_SCOPE)
  set(${platform}_written "${after}" PARENT_SCOPE)
endfunction()

run(linux ${linux_command})
run(windows ${windows_command})

set(failures "")
string(REPLACE ";" " " command_line "${linux_command}")
string(REPLACE ";" " " windows_command_line "${windows_command}")
message(STATUS "Linux: ${command_line}")
message(STATUS "Windows: ${windows_command_line}")
message(STATUS "exit status: Linux ${linux_status}, Windows ${windows_status}")
if(NOT linux_status MATCHES "^[0-9]+$" OR NOT windows_status MATCHES "^[0-9]+$")
  string(APPEND failures "  a run did not end normally\n")
elseif(NOT linux_status EQUAL windows_status)
  string(APPEND failures "  exit status differs\n")
elseif(EXPECT STREQUAL "success" AND NOT linux_status EQUAL 0)
  string(APPEND failures "  the run failed, and it should succeed\n")
elseif(EXPECT STREQUAL "failure" AND linux_status EQUAL 0)
  string(APPEND failures "  the run succeeded, and it should fail\n")
endif()

if(NOT linux_written STREQUAL windows_written)
  string(APPEND failures "  files written differ: Linux [${linux_written}], Windows [${windows_written}]\n")
endif()

# Compares WORK_DIR/linux/<file> with WORK_DIR/windows/<file> (or the two
# transcripts) and records a failure with the comparer's findings.
function(compare label reference candidate)
  execute_process(COMMAND "${COMPARE}" "${reference}" "${candidate}"
                  RESULT_VARIABLE status OUTPUT_VARIABLE findings ERROR_VARIABLE findings)
  string(STRIP "${findings}" findings)
  message(STATUS "${label}: ${findings}")
  if(NOT status EQUAL 0)
    string(APPEND failures "  ${label} differs:\n${findings}\n")
    set(failures "${failures}" PARENT_SCOPE)
  endif()
endfunction()

compare("standard output" "${WORK_DIR}/linux.stdout" "${WORK_DIR}/windows.stdout")
compare("standard error" "${WORK_DIR}/linux.stderr" "${WORK_DIR}/windows.stderr")
foreach(file IN LISTS linux_written)
  if(file IN_LIST windows_written)
    compare("${file}" "${WORK_DIR}/linux/${file}" "${WORK_DIR}/windows/${file}")
  endif()
endforeach()

if(failures)
  file(READ "${WORK_DIR}/linux.stdout" linux_stdout)
  file(READ "${WORK_DIR}/windows.stdout" windows_stdout)
  file(READ "${WORK_DIR}/windows.stderr" windows_stderr)
  message(FATAL_ERROR "Windows and Linux runs of '${command_line}' differ:\n${failures}"
                      "--- Linux standard output:\n${linux_stdout}"
                      "--- Windows standard output:\n${windows_stdout}"
                      "--- Windows standard error:\n${windows_stderr}"
                      "(files kept in ${WORK_DIR})")
endif()
