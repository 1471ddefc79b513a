kelvo_add_test(extensions_test SOURCES extensions_test.cpp LIBS kelvo_engine LABELS unit)
kelvo_add_test(window_test SOURCES window_test.cpp LIBS kelvo_engine LABELS gl)
kelvo_add_test(window_x11_test SOURCES window_x11_test.cpp LIBS kelvo_engine LABELS gl)
