# SPDX-License-Identifier: GPL-3.0-or-later
# Two conversion runs side by side against one; the saved queue's cost.
add_executable(bench_batch EXCLUDE_FROM_ALL bench_batch.cpp)
target_link_libraries(bench_batch PRIVATE
    trovexa_app trovexa_media trovexa_pipeline trovexa_test_doubles trovexa_test_media Qt6::Widgets
    Qt6::Test)
target_include_directories(bench_batch PRIVATE ${PROJECT_SOURCE_DIR}/tests)
add_dependencies(bench_batch trovexa trovexa_ffmpeg_frontend trovexa_flvmdi)
add_dependencies(benchmarks bench_batch)
