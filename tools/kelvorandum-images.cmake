# kelvorandum-images: draws the demo's overlay PNGs (scripts/make-images.sh runs it into Data/).
add_executable(kelvorandum-images ${CMAKE_CURRENT_SOURCE_DIR}/kelvorandum-images.cpp)
target_include_directories(kelvorandum-images SYSTEM PRIVATE ${STB_INCLUDE_DIR})
target_link_libraries(kelvorandum-images PRIVATE zemb)
