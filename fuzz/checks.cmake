# The checks the fuzzers run on each input, built once for the fuzzers and
# once for the tests that replay the committed inputs.
include_guard(GLOBAL)

add_library(quorlin_host_operations STATIC ${CMAKE_CURRENT_LIST_DIR}/host_operations.cpp)
target_include_directories(quorlin_host_operations PUBLIC ${CMAKE_CURRENT_LIST_DIR} ${PROJECT_SOURCE_DIR})

add_library(quorlin_midi_file_check STATIC ${CMAKE_CURRENT_LIST_DIR}/midi_file_check.cpp)
target_include_directories(quorlin_midi_file_check PUBLIC ${CMAKE_CURRENT_LIST_DIR})
target_link_libraries(quorlin_midi_file_check PUBLIC quorlin_host_tool)

add_library(quorlin_preset_file_check STATIC ${CMAKE_CURRENT_LIST_DIR}/preset_file_check.cpp)
target_include_directories(quorlin_preset_file_check PUBLIC ${CMAKE_CURRENT_LIST_DIR})
target_link_libraries(quorlin_preset_file_check PUBLIC quorlin_host_tool)
