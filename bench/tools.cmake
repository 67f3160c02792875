# SPDX-License-Identifier: GPL-3.0-or-later
# Front-end overhead against direct ffmpeg and flvmeta.
add_executable(bench_tools EXCLUDE_FROM_ALL bench_tools.cpp)
target_link_libraries(bench_tools PRIVATE trovexa_tool_translation trovexa_pipeline Qt6::Core)
add_dependencies(bench_tools trovexa_ffmpeg_frontend trovexa_flvmdi)
add_dependencies(benchmarks bench_tools)
