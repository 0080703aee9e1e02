# Creates the wine prefix that the Windows tests share and proves that wine
# runs the 32-bit pelm.exe. Creating a prefix takes 10-30 s; doing it once,
# before the tests that need it, keeps them from racing to create it.
#
# cmake -DWINE=... -DWINDOWS_PELM=.../pelm.exe -P wine_prefix.cmake
# (WINEPREFIX, WINEDEBUG and WINEDLLOVERRIDES come from the environment)

cmake_minimum_required(VERSION 3.25)

if(NOT EXISTS "${WINDOWS_PELM}")
  message(FATAL_ERROR "${WINDOWS_PELM} was not built")
endif()

execute_process(COMMAND "${WINE}" wineboot --init
                RESULT_VARIABLE status OUTPUT_VARIABLE output ERROR_VARIABLE output
                TIMEOUT 240)
if(NOT status EQUAL 0)
  message(FATAL_ERROR "wineboot --init failed (${status}) in $ENV{WINEPREFIX}:\n${output}")
endif()

execute_process(COMMAND "${WINE}" "${WINDOWS_PELM}" --help
                RESULT_VARIABLE status OUTPUT_VARIABLE output ERROR_VARIABLE errors
                TIMEOUT 120)
if(NOT status EQUAL 0 OR NOT output MATCHES "usage: pelm run")
  message(FATAL_ERROR "wine did not run pelm.exe (status ${status}); "
                      "is the wine of its architecture installed?\n${output}${errors}")
endif()
message(STATUS "wine prefix $ENV{WINEPREFIX} ready; pelm.exe --help runs under wine")
