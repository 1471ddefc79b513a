# The image tools, run as programs: overlay PNGs and the cube-map sky, checked against Data/.
kelvo_add_test(images_test SOURCES images_test.cpp LIBS zemb LABELS tool TIMEOUT 180)
if(TARGET images_test)
  target_include_directories(images_test SYSTEM PRIVATE ${STB_INCLUDE_DIR})
  target_compile_definitions(images_test PRIVATE
    IMAGES_TOOL="$<TARGET_FILE:kelvorandum-images>"
    SKY_TOOL="$<TARGET_FILE:kelvorandum-sky>")
  add_dependencies(images_test kelvorandum-images kelvorandum-sky)
endif()
