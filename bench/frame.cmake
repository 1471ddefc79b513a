# One whole demo frame at moments from each section of the music.
add_executable(bench_frame bench_frame.cpp)
target_link_libraries(bench_frame PRIVATE kelvo_engine benchmark::benchmark)
