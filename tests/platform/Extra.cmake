# The platform tests need a run-time library beside the test program (the loader resolves names
# against the program folder) and a small embedded zip resource.
add_library(quilltestlib SHARED ${CMAKE_CURRENT_LIST_DIR}/LibraryData/TestLibrary.cpp)
set_target_properties(quilltestlib PROPERTIES LIBRARY_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR}/bin)
add_dependencies(platform_tests quilltestlib)
quill_embed_zip(TARGET platform_tests TYPE ZIP ID 132 DIR ${CMAKE_CURRENT_LIST_DIR}/ResourceData)
# The library loader of the editor's helpers is tested with the same library.
if(TARGET base_tests)
  add_dependencies(base_tests quilltestlib)
endif()
quill_embed_file(TARGET platform_tests TYPE ICON ID 108 FILE ${CMAKE_SOURCE_DIR}/skins/Quillmoor.ico)
