# The choreography: the committed track files are what their source compiles to, and every
# track visibly moves the rendered picture.
kelvo_add_test(choreography_test SOURCES choreography_test.cpp LIBS kelvo_sync LABELS tool)
target_compile_definitions(choreography_test PRIVATE TRACKS_TOOL="$<TARGET_FILE:kelvorandum-tracks>")
add_dependencies(choreography_test kelvorandum-tracks)
kelvo_add_test(nudge_test SOURCES nudge_test.cpp LIBS kelvo_engine LABELS gl TIMEOUT 600)
