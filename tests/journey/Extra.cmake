# The journeys start the real program and read its windows and outputs: they need the program
# built, X11 for their input, and the media tests' fixtures and probe.
if(NOT TARGET journey_tests)
  return()
endif()
add_dependencies(journey_tests Quillmoor)
target_sources(journey_tests PRIVATE ${CMAKE_CURRENT_SOURCE_DIR}/media/MediaTestSupport.cpp)
target_link_libraries(journey_tests PRIVATE PkgConfig::X11 PkgConfig::AV)
