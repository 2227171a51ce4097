# The footprint, idle and reaction benchmark (bench/run). Its measurements inside the program
# are part of the stand-in power manager and idle until the driver asks for one; the bare
# tray program is the yardstick, built with the program's own flags and static linking, once
# plain and once with the program's manifest and common controls (bare_tray_v6). bench_start
# measures start-up.

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

add_executable(bare_tray_v6 WIN32 ${CMAKE_SOURCE_DIR}/bench/bare_tray.cpp
               ${CMAKE_SOURCE_DIR}/bench/bare_tray.rc)
set_target_properties(bare_tray_v6 PROPERTIES RUNTIME_OUTPUT_DIRECTORY ${standin_dir})
target_compile_definitions(bare_tray_v6 PRIVATE ${quillmere_defines} BARE_TRAY_COMMON_CONTROLS)
target_link_libraries(bare_tray_v6 PRIVATE comctl32 shell32 user32)
target_link_options(bare_tray_v6 PRIVATE ${quillmere_link_options} ${quillmere_exe_options})
set_source_files_properties(${CMAKE_SOURCE_DIR}/bench/bare_tray.rc PROPERTIES
    OBJECT_DEPENDS ${CMAKE_SOURCE_DIR}/res/quillmere.manifest)

add_executable(bench_start ${CMAKE_SOURCE_DIR}/bench/bench_start.cpp
               ${CMAKE_SOURCE_DIR}/tools/standin/standin_loader.cpp)
set_target_properties(bench_start PROPERTIES RUNTIME_OUTPUT_DIRECTORY ${standin_dir})
target_include_directories(bench_start PRIVATE ${CMAKE_SOURCE_DIR} ${CMAKE_SOURCE_DIR}/tools)
target_compile_definitions(bench_start PRIVATE ${quillmere_defines})
if(MINGW)
    target_link_options(bench_start PRIVATE ${quillmere_link_options} -municode)
endif()
target_link_libraries(bench_start PRIVATE psapi)
add_dependencies(standin bare_tray_v6 bench_start)
