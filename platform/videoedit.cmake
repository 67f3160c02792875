# The video-editing component over libavformat and the system ffmpeg.
# Its interface belongs to the core platform library so the pipeline can
# drive it without linking libav.
target_sources(trovexa_platform_core PRIVATE VideoEdit.h)

find_package(PkgConfig REQUIRED)
pkg_check_modules(LIBAV REQUIRED IMPORTED_TARGET libavformat libavcodec libavutil)

add_library(trovexa_videoedit STATIC
    MediaProbe.h MediaProbe.cpp
    VideoEditArguments.h VideoEditArguments.cpp
    VideoEditComponent.h VideoEditComponent.cpp
)
target_include_directories(trovexa_videoedit PUBLIC ${CMAKE_SOURCE_DIR})
target_link_libraries(trovexa_videoedit PUBLIC trovexa_platform_core Qt6::Core PRIVATE PkgConfig::LIBAV)
