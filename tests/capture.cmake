# The capture tool, run as a user runs it.
kelvo_add_test(capture_test SOURCES capture_test.cpp LIBS kelvo_engine LABELS e2e TIMEOUT 300)
add_dependencies(capture_test kelvorandum-capture)
