# Windows build (MinGW-w64 cross build here, Visual Studio on Windows): the exe, its
# in-process tests and the end-to-end driver. Under a cross build the tests run in Wine.

enable_language(RC)

set(quillmere_defines UNICODE _UNICODE _WIN32_WINNT=0x0600 WINVER=0x0600 NTDDI_VERSION=0x06000000)
set(quillmere_system_libs comctl32 shell32 user32 advapi32 ole32 gdi32 kernel32 uuid)

if(MINGW)
    # Everything static, so the exe needs only the system DLLs; no PE time stamp, so two
    # builds of one commit are byte for byte the same.
    set(quillmere_link_options -static -static-libgcc -static-libstdc++ -Wl,--no-insert-timestamp)
    set(quillmere_exe_options -s -Wl,--gc-sections)
    set(quillmere_compile_options -ffunction-sections -fdata-sections -fno-exceptions -fno-rtti
        $<$<CONFIG:Release>:-Oz> -ffile-prefix-map=${CMAKE_SOURCE_DIR}=.)
    if(CMAKE_SIZEOF_VOID_P EQUAL 4)
        # 32-bit code unwinds only through .eh_frame (DWARF), and only for exceptions, which
        # nothing here throws; 64-bit code keeps .pdata/.xdata, which the platform itself uses.
        list(APPEND quillmere_compile_options -fno-asynchronous-unwind-tables)
    endif()
    add_compile_options(${quillmere_compile_options})
    # The portable core is defined before this file is read; it goes into the exe alike.
    target_compile_options(quillmere_core PRIVATE ${quillmere_compile_options})
elseif(MSVC)
    # The resource script carries the manifest, so the linker must not add its own.
    set(quillmere_exe_options /MANIFEST:NO /Brepro)
endif()

# Everything but WinMain, the real power-management calls and the allocation functions, so the
# in-process tests can link the same code with a scripted power manager (and GoogleTest keeps
# the library's throwing operator new).
file(GLOB quillmere_sources CONFIGURE_DEPENDS
     ${CMAKE_SOURCE_DIR}/base/*.cpp ${CMAKE_SOURCE_DIR}/power/*.cpp
     ${CMAKE_SOURCE_DIR}/tray/*.cpp ${CMAKE_SOURCE_DIR}/actions/*.cpp
     ${CMAKE_SOURCE_DIR}/settings/*.cpp ${CMAKE_SOURCE_DIR}/app/*.cpp)
list(REMOVE_ITEM quillmere_sources ${CMAKE_SOURCE_DIR}/app/win_main.cpp
     ${CMAKE_SOURCE_DIR}/app/process_entry.cpp
     ${CMAKE_SOURCE_DIR}/base/allocation.cpp ${CMAKE_SOURCE_DIR}/power/power_api_win32.cpp)
add_library(quillmere_win STATIC ${quillmere_sources})
target_compile_definitions(quillmere_win PUBLIC ${quillmere_defines})
target_link_libraries(quillmere_win PUBLIC quillmere_core ${quillmere_system_libs})
target_compile_definitions(quillmere_core PUBLIC ${quillmere_defines})

# The version record takes its version from project(), as the installer package does.
configure_file(${CMAKE_SOURCE_DIR}/res/quillmere_version.h.in
               ${CMAKE_BINARY_DIR}/generated/quillmere_version.h @ONLY)
set(quillmere_resources ${CMAKE_SOURCE_DIR}/res/quillmere.rc)
set_source_files_properties(${quillmere_resources} PROPERTIES
    INCLUDE_DIRECTORIES ${CMAKE_BINARY_DIR}/generated
    OBJECT_DEPENDS "${CMAKE_SOURCE_DIR}/res/quillmere.manifest;${CMAKE_SOURCE_DIR}/res/resource.h;${CMAKE_BINARY_DIR}/generated/quillmere_version.h")

add_executable(quillmere WIN32 app/win_main.cpp base/allocation.cpp power/power_api_win32.cpp
               ${quillmere_resources})
target_link_libraries(quillmere PRIVATE quillmere_win)
target_link_options(quillmere PRIVATE ${quillmere_link_options} ${quillmere_exe_options})
if(MINGW)
    # Its own entry point instead of the C runtime's start-up code (app/process_entry.cpp).
    target_sources(quillmere PRIVATE app/process_entry.cpp)
    # 32-bit C names carry a leading underscore. Data imported from a DLL would need the
    # runtime's relocator, which no longer runs: the link refuses it instead.
    set(quillmere_entry QuillmereEntry)
    if(CMAKE_SIZEOF_VOID_P EQUAL 4)
        set(quillmere_entry _QuillmereEntry)
    endif()
    target_link_options(quillmere PRIVATE -nostartfiles -Wl,-e,${quillmere_entry}
                        -Wl,--disable-auto-import -Wl,--disable-runtime-pseudo-reloc)
endif()

# The stand-in power manager beside a copy of the exe, for trying it under Wine (tools/run)
# and for the desktop end-to-end tests.
include(${CMAKE_SOURCE_DIR}/cmake/standin.cmake)

# The Windows Installer package of the exe, and its test.
include(${CMAKE_SOURCE_DIR}/cmake/installer.cmake)

if(NOT QUILLMERE_HAVE_GTEST)
    message(WARNING "GoogleTest not found: only quillmere.exe is built")
    return()
endif()

if(CMAKE_CROSSCOMPILING)
    # Every test exe runs under Wine with this build tree's own prefix.
    set(wine_run ${CMAKE_SOURCE_DIR}/tools/wine-run ${CMAKE_BINARY_DIR}/wineprefix ${QUILLMERE_WINEARCH})
    set(CMAKE_CROSSCOMPILING_EMULATOR ${wine_run})
    add_test(NAME wine_prefix COMMAND ${wine_run} --boot)
    add_test(NAME wine_shutdown COMMAND ${wine_run} --shutdown)
    # tools/wine-run exits 77 when the host cannot run the prefix's code (32-bit x86 on a
    # kernel without IA-32 emulation): CTest reports those tests as skipped, with the reason.
    set_tests_properties(wine_prefix PROPERTIES FIXTURES_SETUP wine SKIP_RETURN_CODE 77)
    set_tests_properties(wine_shutdown PROPERTIES FIXTURES_CLEANUP wine SKIP_RETURN_CODE 77)
endif()

function(quillmere_test name)
    add_test(NAME ${name} COMMAND ${name} ${ARGN})
    if(CMAKE_CROSSCOMPILING)
        set_tests_properties(${name} PROPERTIES FIXTURES_REQUIRED wine SKIP_RETURN_CODE 77)
    endif()
endfunction()

file(GLOB core_test_sources CONFIGURE_DEPENDS ${CMAKE_SOURCE_DIR}/tests/core/*.cpp)
add_executable(core_tests ${core_test_sources})
target_link_libraries(core_tests PRIVATE quillmere_core gtest_main)
target_link_options(core_tests PRIVATE ${quillmere_link_options})
quillmere_test(core_tests)

# In-process tests: the real dialog and window procedure, a scripted power manager.
file(GLOB win_test_sources CONFIGURE_DEPENDS ${CMAKE_SOURCE_DIR}/tests/win/*.cpp)
file(GLOB support_sources CONFIGURE_DEPENDS ${CMAKE_SOURCE_DIR}/tests/support/*.cpp)
add_executable(win_tests ${win_test_sources} ${support_sources} ${quillmere_resources})
target_include_directories(win_tests PRIVATE ${CMAKE_SOURCE_DIR}/tests)
target_link_libraries(win_tests PRIVATE quillmere_win gtest version)
target_link_options(win_tests PRIVATE ${quillmere_link_options})
quillmere_test(win_tests)

if(CMAKE_CROSSCOMPILING)
    # The icon sizes once more at 150 % (144 DPI, Wine's LogPixels), in a prefix of their own so
    # the other tests keep 96 DPI.
    set(wine_run_144 ${CMAKE_SOURCE_DIR}/tools/wine-run ${CMAKE_BINARY_DIR}/wineprefix-144 ${QUILLMERE_WINEARCH})
    # Wine reads the DPI when its session starts: the value is written first, then the session
    # the tests join is started afresh.
    add_test(NAME wine_prefix_144 COMMAND sh -c [["$0" "$@" reg add "HKCU\Control Panel\Desktop" \
        /v LogPixels /t REG_DWORD /d 144 /f >/dev/null 2>&1 && "$0" "$@" --shutdown && "$0" "$@" --boot]]
        ${wine_run_144})
    add_test(NAME wine_shutdown_144 COMMAND ${wine_run_144} --shutdown)
    add_test(NAME win_tests_144dpi COMMAND ${wine_run_144} $<TARGET_FILE:win_tests>
             --gtest_filter=TrayIconTest.*Scale*)
    set_tests_properties(wine_prefix_144 PROPERTIES FIXTURES_SETUP wine144 SKIP_RETURN_CODE 77)
    set_tests_properties(wine_shutdown_144 PROPERTIES FIXTURES_CLEANUP wine144 SKIP_RETURN_CODE 77)
    set_tests_properties(win_tests_144dpi PROPERTIES FIXTURES_REQUIRED wine144 SKIP_RETURN_CODE 77
                         ENVIRONMENT QUILLMERE_TEST_DPI=144)
endif()

# End-to-end: the shipped exe as its own process, driven from outside.
file(GLOB e2e_sources CONFIGURE_DEPENDS ${CMAKE_SOURCE_DIR}/tests/e2e/*.cpp)
add_executable(e2e_tests ${e2e_sources} ${CMAKE_SOURCE_DIR}/tests/support/temp_directory.cpp
               ${CMAKE_SOURCE_DIR}/base/working_directory.cpp)
target_include_directories(e2e_tests PRIVATE ${CMAKE_SOURCE_DIR} ${CMAKE_SOURCE_DIR}/tests)
target_compile_definitions(e2e_tests PRIVATE ${quillmere_defines})
target_link_libraries(e2e_tests PRIVATE gtest_main user32 advapi32 shell32)
target_link_options(e2e_tests PRIVATE ${quillmere_link_options})
add_dependencies(e2e_tests quillmere allocation_probe)
# The exe's allocation functions on their own, built as the exe is, for the test that makes
# them fail.
add_executable(allocation_probe tests/e2e/probe/allocation_probe.cpp base/allocation.cpp)
target_include_directories(allocation_probe PRIVATE ${CMAKE_SOURCE_DIR})
target_compile_definitions(allocation_probe PRIVATE ${quillmere_defines})
target_link_options(allocation_probe PRIVATE ${quillmere_link_options})
quillmere_test(e2e_tests)

if(MINGW)
    add_test(NAME exe_imports
             COMMAND ${CMAKE_SOURCE_DIR}/tools/check-exe $<TARGET_FILE:quillmere>
                     ${CMAKE_OBJDUMP})
    # What each exe needs (x86 with half a kilobyte more): a feature that grows the exe moves the
    # budget by what it really adds. Power modes, one Quillmere per session, the resume rule and
    # the program rules took x64 from 60416 bytes to 77824; the held file folder, the tray icon's
    # retries and the elevated first start 1.5 KB more; the program rules on a real desktop 3.5 KB
    # more; the layers 1 KB (83968). The command line and the global hotkeys added 16.5 KB,
    # and the exe's own entry point (app/process_entry.cpp) took 10.5 KB off: 89600.
    if(CMAKE_SIZEOF_VOID_P EQUAL 8)
        set(quillmere_size_budget 89600)
    else()
        set(quillmere_size_budget 82944)
    endif()
    add_test(NAME exe_size
             COMMAND ${CMAKE_SOURCE_DIR}/tools/check-exe-size $<TARGET_FILE:quillmere>
                     ${quillmere_size_budget})
endif()
