# SPDX-License-Identifier: GPL-3.0-or-later
# Ten conversions through the queue against the same jobs one by one, and
# a thousand entries given to the window at once.
add_executable(bench_queue EXCLUDE_FROM_ALL bench_queue.cpp)
target_link_libraries(bench_queue PRIVATE
    trovexa_app trovexa_media trovexa_pipeline trovexa_test_doubles trovexa_test_media Qt6::Widgets)
target_include_directories(bench_queue PRIVATE ${PROJECT_SOURCE_DIR}/tests)
add_dependencies(bench_queue trovexa trovexa_ffmpeg_frontend trovexa_flvmdi)
add_dependencies(benchmarks bench_queue)
