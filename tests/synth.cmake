# kelvorandum-synth: its library in process, the program as scripts/make-music.sh runs it, and the
# committed score and MP3 that the demo plays.
kelvo_add_test(synth_test SOURCES synth_test.cpp LIBS kelvo_synth PkgConfig::MPG123 LABELS tool)
target_compile_definitions(synth_test PRIVATE KELVO_SYNTH="$<TARGET_FILE:kelvorandum-synth>")
add_dependencies(synth_test kelvorandum-synth)
