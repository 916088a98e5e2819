# quill_stamp_version(VERSION <a.b.c.d> TARGETS <t>...)
# An ELF file has no version resource, so the build links a note section ".note.quill.version"
# (owner "Quill", four little-endian 16-bit fields) into each target; GetFileVersionInfoW reads
# it back.
function(quill_stamp_version)
  cmake_parse_arguments(ARG "" "VERSION" "TARGETS" ${ARGN})
  string(REGEX MATCH "^([0-9]+)\\.([0-9]+)\\.([0-9]+)\\.([0-9]+)$" matched "${ARG_VERSION}")
  if(NOT matched)
    message(FATAL_ERROR "quill_stamp_version: VERSION must be a.b.c.d, got '${ARG_VERSION}'")
  endif()
  foreach(i 1 2 3 4)
    if(CMAKE_MATCH_${i} GREATER 65535)
      message(FATAL_ERROR "quill_stamp_version: field '${CMAKE_MATCH_${i}}' is above 65535")
    endif()
  endforeach()
  set(source ${CMAKE_CURRENT_BINARY_DIR}/version_note_${ARG_VERSION}.S)
  file(WRITE ${source}
    "    .section .note.quill.version,\"a\",@note\n"
    "    .balign 4\n"
    "    .long 6\n"
    "    .long 8\n"
    "    .long 1\n"
    "    .asciz \"Quill\"\n"
    "    .balign 4\n"
    "    .short ${CMAKE_MATCH_1}, ${CMAKE_MATCH_2}, ${CMAKE_MATCH_3}, ${CMAKE_MATCH_4}\n"
    "    .section .note.GNU-stack,\"\",@progbits\n")
  foreach(target IN LISTS ARG_TARGETS)
    target_sources(${target} PRIVATE ${source})
  endforeach()
endfunction()
