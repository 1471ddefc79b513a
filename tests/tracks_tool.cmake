# The track compiler, run as a program; its output is read back through the sync-track player.
kelvo_add_test(tracks_tool_test SOURCES tracks_tool_test.cpp LIBS kelvo_sync LABELS tool)
target_compile_definitions(tracks_tool_test PRIVATE TRACKS_TOOL="$<TARGET_FILE:kelvorandum-tracks>")
add_dependencies(tracks_tool_test kelvorandum-tracks)
