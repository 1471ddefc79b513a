kelvo_add_test(file_test SOURCES file_test.cpp LIBS kelvo_engine LABELS unit)
kelvo_add_test(gl_resources_test SOURCES gl_resources_test.cpp LIBS kelvo_engine LABELS gl)
