# Installs the build into a fresh prefix, builds a consumer project against
# it with find_package(pelm_dll), and runs the consumer beside the test
# suite's own build of the same host: both must write the same results.
#
# cmake -DBUILD_DIR=... -DWORK_DIR=... -DSOURCE_DIR=... -DGENERATOR=... -DC_FLAGS=...
#       -DREFERENCE_HOST=... -DCOMPARE=... -P install_and_consume.cmake

cmake_minimum_required(VERSION 3.25)

file(REMOVE_RECURSE "${WORK_DIR}")
set(prefix "${WORK_DIR}/prefix")

function(run)
  execute_process(COMMAND ${ARGN} RESULT_VARIABLE status OUTPUT_VARIABLE output ERROR_VARIABLE output)
  if(NOT status EQUAL 0)
    string(REPLACE ";" " " command "${ARGN}")
    message(FATAL_ERROR "${command} failed (${status}):\n${output}")
  endif()
endfunction()

run("${CMAKE_COMMAND}" --install "${BUILD_DIR}" --prefix "${prefix}")
foreach(file IN ITEMS include/pelm_dll.h include/pelm_dll.F90 bin/pelm
                      lib/cmake/pelm_dll/pelm_dllConfig.cmake
                      lib/cmake/pelm_dll/pelm_dllConfigVersion.cmake)
  if(NOT EXISTS "${prefix}/${file}")
    message(FATAL_ERROR "cmake --install did not install ${file}")
  endif()
endforeach()

# The installed driver runs from any folder with the installed library.
file(MAKE_DIRECTORY "${WORK_DIR}/driver")
execute_process(COMMAND "${prefix}/bin/pelm" run --t-end 1 WORKING_DIRECTORY "${WORK_DIR}/driver"
                RESULT_VARIABLE status OUTPUT_VARIABLE output ERROR_VARIABLE output)
if(NOT status EQUAL 0 OR NOT EXISTS "${WORK_DIR}/driver/pelm_output.csv")
  message(FATAL_ERROR "the installed pelm did not run (${status}):\n${output}")
endif()

run("${CMAKE_COMMAND}" -S "${SOURCE_DIR}/tests/install/consumer" -B "${WORK_DIR}/consumer"
    -G "${GENERATOR}" "-DCMAKE_PREFIX_PATH=${prefix}" "-DCMAKE_C_FLAGS=${C_FLAGS}"
    "-DLINKED_HOST_SOURCE=${SOURCE_DIR}/tests/windows/linked_host.c")
run("${CMAKE_COMMAND}" --build "${WORK_DIR}/consumer")

set(LINUX_COMMAND "${REFERENCE_HOST}|examples/regular_wave.inp")
set(WINDOWS_COMMAND "${WORK_DIR}/consumer/consumer|examples/regular_wave.inp")
set(INPUT_DIRS "${SOURCE_DIR}/examples")
set(EXPECT success)
set(WORK_DIR "${WORK_DIR}/runs")
include("${SOURCE_DIR}/tests/windows/compare_with_linux.cmake")
