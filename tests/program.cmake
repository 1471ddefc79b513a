# End-to-end runs of the built demo.
kelvo_add_test(program_test SOURCES program_test.cpp LABELS e2e TIMEOUT 300)
add_dependencies(program_test kelvorandum)
