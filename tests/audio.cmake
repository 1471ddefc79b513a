# The music player on SDL's disk and dummy drivers, and the demo clock that follows it.
kelvo_add_test(audio_test SOURCES audio_test.cpp LIBS kelvo_engine LABELS audio TIMEOUT 60)
kelvo_add_test(sync_clock_test SOURCES sync_clock_test.cpp LIBS kelvo_engine LABELS unit TIMEOUT 60)
