kelvo_add_test(zemb_test SOURCES zemb_test.cpp LIBS zemb LABELS unit)
