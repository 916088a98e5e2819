# quill_embed_zip(TARGET <t> TYPE <type> ID <id> DIR <folder>)
# Zips <folder> at build time (item names relative to it, "/" separators) and links the archive
# into <t> as the resource (<type>, <id>) that FindResource/LoadResource hand out.
function(quill_embed_zip)
  cmake_parse_arguments(ARG "" "TARGET;TYPE;ID;DIR" "" ${ARGN})
  set(base ${CMAKE_CURRENT_BINARY_DIR}/res_${ARG_TARGET}_${ARG_TYPE}_${ARG_ID})
  file(GLOB_RECURSE files CONFIGURE_DEPENDS RELATIVE ${ARG_DIR} ${ARG_DIR}/*)
  list(SORT files)
  set(absolute)
  foreach(f IN LISTS files)
    list(APPEND absolute ${ARG_DIR}/${f})
  endforeach()
  add_custom_command(OUTPUT ${base}.zip
    COMMAND ${CMAKE_COMMAND} -E rm -f ${base}.zip
    COMMAND ${CMAKE_COMMAND} -E tar cf ${base}.zip --format=zip -- ${files}
    WORKING_DIRECTORY ${ARG_DIR}
    DEPENDS ${absolute}
    COMMENT "Packing ${ARG_DIR} as resource ${ARG_TYPE} ${ARG_ID}"
    VERBATIM)
  quill_link_resource(${ARG_TARGET} ${ARG_TYPE} ${ARG_ID} ${base}.zip)
endfunction()

# quill_embed_file(TARGET <t> TYPE <type> ID <id> FILE <path>)
# Links one file into <t> as it stands, as the resource (<type>, <id>).
function(quill_embed_file)
  cmake_parse_arguments(ARG "" "TARGET;TYPE;ID;FILE" "" ${ARGN})
  quill_link_resource(${ARG_TARGET} ${ARG_TYPE} ${ARG_ID} ${ARG_FILE})
endfunction()

function(quill_link_resource target type id file)
  set(base ${CMAKE_CURRENT_BINARY_DIR}/res_${target}_${type}_${id})
  set(symbol quill_res_${target}_${type}_${id})
  string(MAKE_C_IDENTIFIER ${symbol} symbol)
  file(WRITE ${base}.S
    "    .section .rodata\n"
    "    .balign 16\n"
    "    .global ${symbol}_begin\n"
    "${symbol}_begin:\n"
    "    .incbin \"${file}\"\n"
    "    .global ${symbol}_end\n"
    "${symbol}_end:\n"
    "    .section .note.GNU-stack,\"\",@progbits\n")
  set_source_files_properties(${base}.S PROPERTIES OBJECT_DEPENDS ${file})
  file(WRITE ${base}.cpp
    "#include \"platform/Resource.h\"\n"
    "extern \"C\" const unsigned char ${symbol}_begin[];\n"
    "extern \"C\" const unsigned char ${symbol}_end[];\n"
    "static const platform::ResourceRegistration kResource(L\"${type}\", ${id},\n"
    "    ${symbol}_begin, static_cast<size_t>(${symbol}_end - ${symbol}_begin));\n")
  target_sources(${target} PRIVATE ${base}.S ${base}.cpp)
endfunction()
