# Track compiler: choreography source -> Data/_<name>.track files; dumps track files as text.
add_executable(kelvorandum-tracks kelvorandum-tracks.cpp)
target_link_libraries(kelvorandum-tracks PRIVATE kelvo_sync)
