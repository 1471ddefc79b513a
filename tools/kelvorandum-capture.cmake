# Frame-exact capture of the production to PNG frames or MP4.
add_executable(kelvorandum-capture kelvorandum-capture.cpp)
target_link_libraries(kelvorandum-capture PRIVATE kelvo_engine)
