# The stand-in power manager for trying the shipped exe under Wine, and the end-to-end tests
# that drive that exe in a Wine desktop. The program takes powrprof.dll from the system folder
# only, so the stand-in is built into standin/system32/ and installed into the desktop prefix's
# system folder, where WINEDLLOVERRIDES=powrprof=n,b makes Wine prefer it to its own. standin/
# also holds an unmodified copy of quillmere.exe (the one the desktop sessions run) and the
# driver.

set(standin_dir ${CMAKE_BINARY_DIR}/standin)

add_library(powrprof_standin SHARED ${CMAKE_SOURCE_DIR}/tools/standin/powrprof.cpp
            ${CMAKE_SOURCE_DIR}/tools/standin/powrprof.def
            ${CMAKE_SOURCE_DIR}/tools/standin/standin_protocol.cpp
            ${CMAKE_SOURCE_DIR}/tests/support/import_hook.cpp)
set_target_properties(powrprof_standin PROPERTIES OUTPUT_NAME powrprof PREFIX ""
                      RUNTIME_OUTPUT_DIRECTORY ${standin_dir}/system32)
target_include_directories(powrprof_standin PRIVATE ${CMAKE_SOURCE_DIR}/tools ${CMAKE_SOURCE_DIR}/tests)
target_link_libraries(powrprof_standin PRIVATE quillmere_core user32 advapi32 uuid)

add_executable(power_driver ${CMAKE_SOURCE_DIR}/tools/standin/power_driver.cpp
               ${CMAKE_SOURCE_DIR}/tools/standin/standin_protocol.cpp
               ${CMAKE_SOURCE_DIR}/tools/standin/standin_loader.cpp)
set_target_properties(power_driver PROPERTIES RUNTIME_OUTPUT_DIRECTORY ${standin_dir})
target_include_directories(power_driver PRIVATE ${CMAKE_SOURCE_DIR}/tools ${CMAKE_SOURCE_DIR}/tests)
target_link_libraries(power_driver PRIVATE quillmere_core user32 advapi32)

# The program the driver puts in front (power_driver front NAME copies it under that name).
add_executable(front_window WIN32 ${CMAKE_SOURCE_DIR}/tools/standin/front_window.cpp)
set_target_properties(front_window PROPERTIES RUNTIME_OUTPUT_DIRECTORY ${standin_dir})
target_include_directories(front_window PRIVATE ${CMAKE_SOURCE_DIR}/tools ${CMAKE_SOURCE_DIR})
target_link_libraries(front_window PRIVATE user32)

# A DLL that only marks that it was loaded, planted as powrprof.dll and dwmapi.dll beside the exe
# and in its working folder by the desktop test of DLL planting.
add_library(planted_dll SHARED ${CMAKE_SOURCE_DIR}/tests/e2e_desktop/planted_dll.cpp
            ${CMAKE_SOURCE_DIR}/tests/e2e_desktop/planted_dll.def)
set_target_properties(planted_dll PROPERTIES PREFIX "" RUNTIME_OUTPUT_DIRECTORY ${standin_dir})

if(MINGW)
    # The .def files give the exports their plain names; on 32-bit x86 the linker maps them to
    # the decorated stdcall symbols.
    foreach(dll powrprof_standin planted_dll)
        target_link_options(${dll} PRIVATE ${quillmere_link_options} -s
                            $<$<STREQUAL:${CMAKE_SIZEOF_VOID_P},4>:-Wl,--enable-stdcall-fixup>)
    endforeach()
    target_link_options(power_driver PRIVATE ${quillmere_link_options} -municode)
    target_link_options(front_window PRIVATE ${quillmere_link_options} -municode)
endif()

add_custom_command(TARGET quillmere POST_BUILD
    COMMAND ${CMAKE_COMMAND} -E make_directory ${standin_dir}
    COMMAND ${CMAKE_COMMAND} -E copy_if_different $<TARGET_FILE:quillmere> ${standin_dir}/quillmere.exe)
add_custom_target(standin ALL DEPENDS quillmere powrprof_standin power_driver front_window
                  planted_dll)

# The desktop end-to-end cases, each its own CTest entry with its own Xvfb and Wine desktop.
# They share one desktop prefix, so they run one at a time.
if(CMAKE_CROSSCOMPILING)
    find_program(XDOTOOL_PROGRAM xdotool)
    find_program(XVFB_PROGRAM Xvfb)
    find_program(IMPORT_PROGRAM import)
    if(XDOTOOL_PROGRAM AND XVFB_PROGRAM AND IMPORT_PROGRAM)
        foreach(case power_source battery_rule menu_plan settings_file startup_value exit
                     day_two modern_standby power_modes windows10_modes display_off_hung
                     composition_7 composition_10 composition_compat second_start keyboard
                     sleep_resume tray_retry program_rules program_rules_mode no_program_rules
                     program_rules_settle program_rules_windows11 command_line
                     planted_dlls hotkeys windows7_desktop)
            add_test(NAME desktop_${case}
                     COMMAND ${CMAKE_SOURCE_DIR}/tests/e2e_desktop/desktop_test.sh
                             ${CMAKE_BINARY_DIR} ${QUILLMERE_WINEARCH} ${case})
            set_tests_properties(desktop_${case} PROPERTIES RESOURCE_LOCK desktop_prefix
                                 SKIP_RETURN_CODE 77 TIMEOUT 240)
        endforeach()
    else()
        message(WARNING "xdotool, Xvfb or ImageMagick missing: no desktop end-to-end tests")
    endif()
endif()

include(${CMAKE_SOURCE_DIR}/cmake/bench.cmake)
