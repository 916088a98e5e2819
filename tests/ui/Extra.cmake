# The UI tests read their test skin from an archive linked into the program, as the editor does.
quill_embed_zip(TARGET ui_tests TYPE ZIP ID 132 DIR ${CMAKE_CURRENT_LIST_DIR}/SkinData)
# The paint manager's X11 test reads the painted window back from its own Xvfb server.
target_link_libraries(ui_tests PRIVATE PkgConfig::X11)
target_link_libraries(ui_tests PRIVATE ZLIB::ZLIB)
target_link_libraries(ui_tests PRIVATE PkgConfig::TINYXML)
