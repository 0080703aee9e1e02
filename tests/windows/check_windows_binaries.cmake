# Reads the built pelm_dll.dll and pelm.exe with MinGW's objdump and checks
# what a host relies on:
#   - the DLL exports exactly init, set_new_time, get_sea_elevation and
#     get_kinematics, under those plain names (no @N aliases);
#   - on x86, each export is the __stdcall function of the expected argument
#     size (symbol name@N at the exported address) and every return in it
#     removes N bytes (ret $N): the callee cleans the stack (x64 Windows has
#     one calling convention, and the plain names are the functions);
#   - the DLL and pelm.exe import nothing but system DLLs (the C++ and GCC
#     runtimes are linked in), and pelm.exe does not import pelm_dll.dll: it
#     loads it by name at run time, as a host does;
#   - arithmetic on SSE2: the library's own functions hold no x87 arithmetic
#     (on x86 the x87 stack only carries double return values, as the 32-bit ABI
#     wants, and integer conversions), and nothing in the DLL uses the x87 trigonometric instructions:
#     sin and cos come from runtime/portable_trig, not from the x87 fsin
#     family nor from the C library's DLL.
#
# cmake -DOBJDUMP=... -DDLL=.../pelm_dll.dll -DEXE=.../pelm.exe -DARCH=x86|x64
#       -P check_windows_binaries.cmake

cmake_minimum_required(VERSION 3.25)

set(failures "")
macro(fail text)
  string(APPEND failures "  ${text}\n")
endmacro()

function(objdump out)
  execute_process(COMMAND "${OBJDUMP}" ${ARGN} RESULT_VARIABLE status OUTPUT_VARIABLE text
                  ERROR_VARIABLE errors)
  if(NOT status EQUAL 0)
    message(FATAL_ERROR "${OBJDUMP} ${ARGN} failed (${status}): ${errors}")
  endif()
  set(${out} "${text}" PARENT_SCOPE)
endfunction()

# The imported DLLs of a PE file, and the functions imported from msvcrt.dll.
function(read_imports headers dlls_out msvcrt_out)
  string(REGEX MATCHALL "DLL Name: [^\n]+" lines "${headers}")
  set(dlls "")
  foreach(line IN LISTS lines)
    string(REGEX REPLACE "DLL Name: " "" dll "${line}")
    string(STRIP "${dll}" dll)
    list(APPEND dlls "${dll}")
  endforeach()
  # Each DLL's import list runs from its "DLL Name:" line to the next blank line.
  set(msvcrt "")
  string(REGEX MATCH "DLL Name: msvcrt\\.dll\n[^\n]*\n([^\n]+\n)*" block "${headers}")
  string(REGEX MATCHALL "\n\t[0-9a-f]+\t +[0-9]+ +[A-Za-z_0-9]+" entries "${block}")
  foreach(entry IN LISTS entries)
    string(REGEX REPLACE ".* ([A-Za-z_0-9]+)$" "\\1" name "${entry}")
    list(APPEND msvcrt "${name}")
  endforeach()
  set(${dlls_out} "${dlls}" PARENT_SCOPE)
  set(${msvcrt_out} "${msvcrt}" PARENT_SCOPE)
endfunction()

# The instructions of one function: from its label to the blank line that
# ends it (objdump's --disassemble=SYMBOL may run on into static functions
# that follow).
function(disassemble_function out symbol)
  objdump(text -d "--disassemble=${symbol}" "${DLL}")
  string(FIND "${text}" "<${symbol}>:\n" start)
  if(start EQUAL -1)
    set(${out} "" PARENT_SCOPE)
    return()
  endif()
  # Keep the address in front of the label.
  string(SUBSTRING "${text}" 0 ${start} head)
  string(REGEX MATCH "[0-9a-f]+ $" address "${head}")
  string(SUBSTRING "${text}" ${start} -1 body)
  string(FIND "${body}" "\n\n" end)
  if(NOT end EQUAL -1)
    string(SUBSTRING "${body}" 0 ${end} body)
  endif()
  set(${out} "${address}${body}\n" PARENT_SCOPE)
endfunction()

# System DLLs present on every Windows installation.
set(system_dll_regex "^(kernel32|msvcrt|ntdll|user32|advapi32|api-ms-win-.*)\\.dll$")

function(check_imports file dlls)
  foreach(dll IN LISTS dlls)
    string(TOLOWER "${dll}" lower)
    if(NOT lower MATCHES "${system_dll_regex}")
      fail("${file} imports ${dll}, which is not a system DLL")
    endif()
  endforeach()
  set(failures "${failures}" PARENT_SCOPE)
endfunction()

# --- The DLL's export table --------------------------------------------------
objdump(dll_headers -p "${DLL}")

string(REGEX MATCH "ImageBase[ \t]+([0-9a-fA-F]+)" _ "${dll_headers}")
set(image_base "${CMAKE_MATCH_1}")
if(image_base STREQUAL "")
  message(FATAL_ERROR "no ImageBase in the headers of ${DLL}")
endif()

string(REGEX MATCH "\\[Ordinal/Name Pointer\\] Table\n(([^\n]+\n)*)" _ "${dll_headers}")
string(REGEX MATCHALL "\\[ *[0-9]+\\] [^\n]+" name_entries "${CMAKE_MATCH_1}")
set(exported "")
foreach(entry IN LISTS name_entries)
  string(REGEX MATCH "\\[ *([0-9]+)\\] (.+)" _ "${entry}")
  list(APPEND exported "${CMAKE_MATCH_2}")
  set(ordinal_of_${CMAKE_MATCH_2} "${CMAKE_MATCH_1}")
endforeach()
list(SORT exported)
set(expected_exports get_kinematics get_sea_elevation init set_new_time)
if(NOT exported STREQUAL expected_exports)
  fail("exports are [${exported}], expected exactly [${expected_exports}]")
endif()

# Address of each export: the export address table is indexed like the name table.
string(REGEX MATCHALL "\\[ *[0-9]+\\] \\+base\\[ *[0-9]+\\] +[0-9a-fA-F]+ Export RVA" rva_entries
       "${dll_headers}")
foreach(entry IN LISTS rva_entries)
  string(REGEX MATCH "\\[ *([0-9]+)\\] \\+base\\[ *[0-9]+\\] +([0-9a-fA-F]+)" _ "${entry}")
  set(rva_${CMAKE_MATCH_1} "${CMAKE_MATCH_2}")
endforeach()

# Argument bytes that each function removes: pointers and one int32_t, 4 bytes each.
set(argument_bytes_init 20)
set(argument_bytes_set_new_time 4)
set(argument_bytes_get_sea_elevation 8)
set(argument_bytes_get_kinematics 16)

foreach(name IN LISTS expected_exports)
  if(NOT ARCH STREQUAL "x86" OR NOT DEFINED ordinal_of_${name})
    continue()
  endif()
  set(bytes ${argument_bytes_${name}})
  set(symbol "_${name}@${bytes}")
  math(EXPR address "0x${image_base} + 0x${rva_${ordinal_of_${name}}}" OUTPUT_FORMAT HEXADECIMAL)
  string(REGEX REPLACE "^0x0*" "" address "${address}")
  string(TOLOWER "${address}" address)
  math(EXPR ret_immediate "${bytes}" OUTPUT_FORMAT HEXADECIMAL)

  disassemble_function(code "${symbol}")
  if(NOT code MATCHES "^0*${address} <${symbol}>:")
    fail("export ${name} is not the __stdcall function ${symbol} (exported address ${address})")
    continue()
  endif()
  # The hot part and any part the compiler moved out as cold code.
  disassemble_function(cold "${symbol}.cold")
  string(REGEX MATCHALL "\tret[^\n]*" returns "${code}${cold}")
  if(NOT returns)
    fail("${symbol} has no return instruction")
  endif()
  foreach(return IN LISTS returns)
    if(NOT return MATCHES "^\tret +\\$${ret_immediate}$")
      fail("${symbol} returns with '${return}', expected 'ret $${ret_immediate}' (callee removes ${bytes} bytes)")
    endif()
  endforeach()
  list(LENGTH returns count)
  message(STATUS "${name}: exported at 0x${address} = ${symbol}, ${count} return(s), all ret $${ret_immediate}")
endforeach()

# --- Imports -------------------------------------------------------------------
read_imports("${dll_headers}" dll_imports dll_msvcrt_functions)
check_imports("pelm_dll.dll" "${dll_imports}")
foreach(function IN ITEMS sin cos tan sincos)
  if(function IN_LIST dll_msvcrt_functions)
    fail("pelm_dll.dll imports ${function} from msvcrt.dll instead of using runtime/portable_trig")
  endif()
endforeach()

objdump(exe_headers -p "${EXE}")
read_imports("${exe_headers}" exe_imports exe_msvcrt_functions)
check_imports("pelm.exe" "${exe_imports}")
foreach(dll IN LISTS exe_imports)
  string(TOLOWER "${dll}" lower)
  if(lower STREQUAL "pelm_dll.dll")
    fail("pelm.exe imports pelm_dll.dll; it must load it with LoadLibrary, as a host does")
  endif()
endforeach()

# --- x87 arithmetic ---------------------------------------------------------------
# The library's own code: the pelm namespace, the exports and the sine and cosine.
# x86 symbols carry a leading underscore and, for __stdcall, @N.
if(ARCH STREQUAL "x86")
  set(own_functions "^<(__ZN4pelm|_sin>|_cos>|_sincos>|_init@|_set_new_time@|_get_sea_elevation@|_get_kinematics@)")
else()
  set(own_functions "^<(_ZN4pelm|sin>|cos>|sincos>|init>|set_new_time>|get_sea_elevation>|get_kinematics>)")
endif()
set(x87_arithmetic "\t(fi?add|faddp|fi?subr?|fsubr?p|fi?mul|fmulp|fi?divr?|fdivr?p|fsqrt|fscale|f2xm1|fyl2x|fyl2xp1)[sl]?([ \t]|$)")
# The x87 sine, cosine and tangent reduce their argument with a 66-bit pi.
set(x87_trigonometry "\t(fsin|fcos|fsincos|fptan)([ \t]|$)")
execute_process(
  COMMAND "${OBJDUMP}" -d --no-show-raw-insn "${DLL}"
  COMMAND awk -v own=${own_functions} -v arithmetic=${x87_arithmetic} -v trigonometry=${x87_trigonometry} "
    /^[0-9a-f]+ <.*>:$/ { function_name = $2; ours = (function_name ~ own) }
    (ours && $0 ~ arithmetic) || $0 ~ trigonometry { if (shown++ < 8) print function_name $0 }"
  OUTPUT_VARIABLE x87_lines RESULTS_VARIABLE statuses)
if(NOT statuses STREQUAL "0;0")
  message(FATAL_ERROR "disassembling ${DLL} failed (objdump, awk: ${statuses})")
endif()
if(x87_lines)
  fail("pelm_dll.dll computes on the x87 unit:\n${x87_lines}")
endif()

message(STATUS "pelm_dll.dll exports: ${exported}")
message(STATUS "pelm_dll.dll imports: ${dll_imports}")
message(STATUS "pelm.exe imports: ${exe_imports}")
if(failures)
  message(FATAL_ERROR "The Windows binaries are not what a host needs:\n${failures}")
endif()
