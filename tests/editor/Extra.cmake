# The editor tests build the main window from the real skin, embedded as the program embeds it,
# and load the HTTP helper library from beside the test program.
quill_embed_zip(TARGET editor_tests TYPE ZIP ID 132 DIR ${CMAKE_SOURCE_DIR}/skins)
add_dependencies(editor_tests vellorin Quillmoor)
# The X11 test reads the real program's window back from its own Xvfb server.
target_link_libraries(editor_tests PRIVATE PkgConfig::X11)
