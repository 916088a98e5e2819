# The updater tests need an installed editor with a stamped version and the vkupdate program.
include(${CMAKE_SOURCE_DIR}/cmake/Version.cmake)
add_executable(fake_editor ${CMAKE_CURRENT_SOURCE_DIR}/updater/fixtures/FakeEditor.c)
quill_stamp_version(VERSION 1.9.9.9 TARGETS fake_editor)
add_dependencies(updater_tests fake_editor)
if(TARGET vkupdate)
  add_dependencies(updater_tests vkupdate)
endif()
