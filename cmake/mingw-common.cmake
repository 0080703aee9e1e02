# What the MinGW-w64 cross builds share; the toolchain file of each
# architecture sets CMAKE_SYSTEM_PROCESSOR and PELM_MINGW_PREFIX first.
#
# The win32 thread model is preferred: it needs no winpthread DLL, so with the
# static runtime the results import nothing but system DLLs. The posix variant
# works too, since -static also pulls winpthread in statically.
set(CMAKE_SYSTEM_NAME Windows)

find_program(CMAKE_C_COMPILER NAMES ${PELM_MINGW_PREFIX}-gcc-win32 ${PELM_MINGW_PREFIX}-gcc REQUIRED)
find_program(CMAKE_CXX_COMPILER NAMES ${PELM_MINGW_PREFIX}-g++-win32 ${PELM_MINGW_PREFIX}-g++ REQUIRED)
find_program(CMAKE_RC_COMPILER NAMES ${PELM_MINGW_PREFIX}-windres)

set(CMAKE_FIND_ROOT_PATH /usr/${PELM_MINGW_PREFIX})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)
