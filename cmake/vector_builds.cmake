# The hot loops of the library (the linear field's kernels, the transform's
# radix passes) are one source each, built once per instruction set into the
# core and chosen at run time by a processor check. Each build is an object
# library of its own so that only it gets the flags.
function(pelm_vector_build name source)
  add_library(${name} OBJECT ${source})
  target_link_libraries(${name} PRIVATE pelm_options)
  target_include_directories(${name} PRIVATE ${PROJECT_SOURCE_DIR})
  target_compile_options(${name} PRIVATE ${ARGN})
  if(MINGW)
    # Windows aligns the stack to 16 bytes (4 on 32-bit), and GCC spills
    # 32-byte vectors with aligned moves there: have the assembler write
    # unaligned moves, which cost the same on aligned data.
    target_compile_options(${name} PRIVATE -Wa,-muse-unaligned-vector-move)
  endif()
  target_sources(pelm_core PRIVATE $<TARGET_OBJECTS:${name}>)
endfunction()
