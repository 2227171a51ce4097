# Native Linux build: the portable core's tests (with sanitizers in the host preset) and the
# configuration reader's fuzz target when the compiler is clang.

if(QUILLMERE_HAVE_GTEST)
    file(GLOB core_test_sources CONFIGURE_DEPENDS ${CMAKE_SOURCE_DIR}/tests/core/*.cpp)
    add_executable(core_tests ${core_test_sources})
    target_link_libraries(core_tests PRIVATE quillmere_core gtest_main)
    add_test(NAME core_tests COMMAND core_tests)
endif()

if(CMAKE_CXX_COMPILER_ID MATCHES "Clang")
    add_executable(config_fuzz tests/fuzz/config_fuzz.cpp ${quillmere_core_sources})
    target_include_directories(config_fuzz PRIVATE ${CMAKE_SOURCE_DIR})
    target_compile_options(config_fuzz PRIVATE -fsanitize=fuzzer,address,undefined)
    target_link_options(config_fuzz PRIVATE -fsanitize=fuzzer,address,undefined)
    set(QUILLMERE_FUZZ_SECONDS 60 CACHE STRING "How long the fuzz test runs")
    add_test(NAME config_fuzz
             COMMAND ${CMAKE_SOURCE_DIR}/tools/run-fuzz $<TARGET_FILE:config_fuzz>
                     ${CMAKE_SOURCE_DIR}/tests/fuzz/corpus ${QUILLMERE_FUZZ_SECONDS})
endif()

if(Python3_FOUND)
    add_test(NAME icons_reproducible
             COMMAND ${Python3_EXECUTABLE} ${CMAKE_SOURCE_DIR}/tools/make_icons.py --check)
endif()

# The folders' layers: every include points down (tools/check-layers), and a planted include
# that points up makes the check fail.
add_test(NAME check_layers COMMAND ${CMAKE_SOURCE_DIR}/tools/check-layers ${CMAKE_SOURCE_DIR})
add_test(NAME check_layers_planted COMMAND ${CMAKE_SOURCE_DIR}/tests/layers/planted_include_test.sh)
