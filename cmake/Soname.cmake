# soname_of(VAR library_path): the name the loader knows the shared library by
# (libheif.so.1 for /usr/lib/.../libheif.so), read from its dynamic section.
function(soname_of var library)
  execute_process(COMMAND ${CMAKE_OBJDUMP} -p "${library}" OUTPUT_VARIABLE dynamic RESULT_VARIABLE failed)
  if(failed OR NOT dynamic MATCHES "SONAME +([^\n]+)")
    message(FATAL_ERROR "no soname in ${library}")
  endif()
  set(${var} "${CMAKE_MATCH_1}" PARENT_SCOPE)
endfunction()
