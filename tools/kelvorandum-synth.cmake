# kelvorandum-synth: renders the demo's music from its text score (tools/music/*.score).
# The synthesiser itself is a library so its tests can parse and render without a process.
file(GLOB KELVO_SYNTH_SOURCES CONFIGURE_DEPENDS ${CMAKE_CURRENT_LIST_DIR}/synth/*.cpp)
add_library(kelvo_synth STATIC ${KELVO_SYNTH_SOURCES})
target_include_directories(kelvo_synth PUBLIC ${CMAKE_CURRENT_LIST_DIR}/synth)
target_link_libraries(kelvo_synth PUBLIC zemb)
# Optimised even in debug builds: a whole song is about three million stereo samples.
target_compile_options(kelvo_synth PRIVATE -O2)

add_executable(kelvorandum-synth ${CMAKE_CURRENT_LIST_DIR}/kelvorandum-synth.cpp)
target_link_libraries(kelvorandum-synth PRIVATE kelvo_synth)
