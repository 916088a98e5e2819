# The updater tests need an installed editor with a stamped version and a vkupdate program that
# takes its host, CA file and limits from the environment (the shipped one never does).
include(${CMAKE_SOURCE_DIR}/cmake/Version.cmake)
add_executable(fake_editor ${CMAKE_CURRENT_SOURCE_DIR}/updater/fixtures/FakeEditor.c)
quill_stamp_version(VERSION 1.9.9.9 TARGETS fake_editor)
add_executable(vkupdate_testhooks ${CMAKE_SOURCE_DIR}/updater/Main.cpp $<TARGET_OBJECTS:vkupdatesettings_testhooks>)
target_link_libraries(vkupdate_testhooks PRIVATE vkupdatecore)
quill_embed_zip(TARGET vkupdate_testhooks TYPE ZIP ID 131 DIR ${CMAKE_SOURCE_DIR}/updater/skin)
target_sources(updater_tests PRIVATE $<TARGET_OBJECTS:vkupdatesettings_testhooks>)
quill_embed_zip(TARGET updater_tests TYPE ZIP ID 131 DIR ${CMAKE_SOURCE_DIR}/updater/skin)
add_dependencies(updater_tests fake_editor vkupdate vkupdate_testhooks)
