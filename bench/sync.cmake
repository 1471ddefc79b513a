# The demo clock's track access: one value request, and one frame's forty of them.
add_executable(bench_sync bench_sync.cpp)
target_link_libraries(bench_sync PRIVATE kelvo_engine benchmark::benchmark)
target_compile_definitions(bench_sync PRIVATE KELVO_SOURCE_DIR="${CMAKE_SOURCE_DIR}")
