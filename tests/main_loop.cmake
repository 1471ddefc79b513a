kelvo_add_test(main_loop_test SOURCES main_loop_test.cpp LIBS zemb LABELS unit)
target_include_directories(main_loop_test PRIVATE ${CMAKE_SOURCE_DIR})
