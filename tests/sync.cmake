# The sync-track player: plain logic, no window or sound.
kelvo_add_test(sync_test SOURCES sync_test.cpp LIBS kelvo_sync LABELS unit)
