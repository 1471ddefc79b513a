# kelvorandum-sky: paints the cube-map sky JPEG (scripts/make-images.sh runs it into Data/).
add_executable(kelvorandum-sky ${CMAKE_CURRENT_SOURCE_DIR}/kelvorandum-sky.cpp)
target_include_directories(kelvorandum-sky SYSTEM PRIVATE ${STB_INCLUDE_DIR})
target_link_libraries(kelvorandum-sky PRIVATE zemb)
