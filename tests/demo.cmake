kelvo_add_test(matrix_test SOURCES matrix_test.cpp LIBS kelvo_engine LABELS unit)
