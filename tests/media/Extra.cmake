# The media tests make and inspect their clips with the FFmpeg libraries themselves; the engine
# under test reaches them through its library module.
target_link_libraries(media_tests PRIVATE PkgConfig::AV)
