# Normalization plus encode against one direct pass.
add_executable(bench_normalization EXCLUDE_FROM_ALL bench_normalization.cpp)
target_link_libraries(bench_normalization PRIVATE trovexa_media trovexa_platform_core Qt6::Core)
add_dependencies(benchmarks bench_normalization)
