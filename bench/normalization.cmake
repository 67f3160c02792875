# SPDX-License-Identifier: GPL-3.0-or-later
# Normalization plus encode against one direct encode, per kind of source.
add_executable(bench_normalization EXCLUDE_FROM_ALL bench_normalization.cpp)
target_link_libraries(bench_normalization PRIVATE
    trovexa_media trovexa_pipeline trovexa_platform_core Qt6::Core)
add_dependencies(bench_normalization trovexa_ffmpeg_frontend)
add_dependencies(benchmarks bench_normalization)
