kelvo_add_test(matrix_test SOURCES matrix_test.cpp LIBS kelvo_engine LABELS unit)
kelvo_add_test(demo_test SOURCES demo_test.cpp LIBS kelvo_engine LABELS gl TIMEOUT 300)
