# The footprint, idle and reaction benchmark (bench/run). Its measurements inside the program
# are part of the stand-in power manager and idle until the driver asks for one; the bare
# tray program is the yardstick, built with the program's own flags and static linking.

target_sources(powrprof_standin PRIVATE ${CMAKE_SOURCE_DIR}/bench/bench_probe.cpp
               ${CMAKE_SOURCE_DIR}/tests/support/import_hook.cpp)
target_link_libraries(powrprof_standin PRIVATE psapi)
target_link_libraries(power_driver PRIVATE psapi)

add_executable(bare_tray WIN32 ${CMAKE_SOURCE_DIR}/bench/bare_tray.cpp)
set_target_properties(bare_tray PROPERTIES RUNTIME_OUTPUT_DIRECTORY ${standin_dir})
target_compile_definitions(bare_tray PRIVATE ${quillmere_defines})
target_link_libraries(bare_tray PRIVATE shell32 user32)
target_link_options(bare_tray PRIVATE ${quillmere_link_options} ${quillmere_exe_options})
add_dependencies(standin bare_tray)
