# The per-user Windows Installer package, quillmere-x64.msi or quillmere-x86.msi in the build
# directory (target "installer"), built by tools/make-msi with wixl from installer/quillmere.wxs,
# the exe and the DLL of the package's custom actions; and the test that installs, upgrades and
# removes it with Wine's msiexec.

add_library(installer_actions SHARED ${CMAKE_SOURCE_DIR}/installer/installer_actions.cpp
            ${CMAKE_SOURCE_DIR}/installer/installer_actions.def)
set_target_properties(installer_actions PROPERTIES PREFIX "")
target_include_directories(installer_actions PRIVATE ${CMAKE_SOURCE_DIR})
target_compile_definitions(installer_actions PRIVATE ${quillmere_defines})
target_link_libraries(installer_actions PRIVATE msi user32 advapi32)
if(MINGW)
    target_link_options(installer_actions PRIVATE ${quillmere_link_options} -s
                        $<$<STREQUAL:${CMAKE_SIZEOF_VOID_P},4>:-Wl,--enable-stdcall-fixup>)
endif()

find_program(WIXL_PROGRAM wixl)
find_program(FAKETIME_PROGRAM faketime)
if(NOT WIXL_PROGRAM OR NOT FAKETIME_PROGRAM)
    message(WARNING "wixl (msitools) or faketime missing: no installer package")
    return()
endif()

if(CMAKE_SIZEOF_VOID_P EQUAL 8)
    set(quillmere_msi_arch x64)
else()
    set(quillmere_msi_arch x86)
endif()
set(quillmere_msi ${CMAKE_BINARY_DIR}/quillmere-${quillmere_msi_arch}.msi)
add_custom_command(OUTPUT ${quillmere_msi}
    COMMAND ${CMAKE_SOURCE_DIR}/tools/make-msi ${quillmere_msi_arch} ${PROJECT_VERSION}
            $<TARGET_FILE:quillmere> $<TARGET_FILE:installer_actions> ${quillmere_msi}
    DEPENDS quillmere installer_actions ${CMAKE_SOURCE_DIR}/installer/quillmere.wxs
            ${CMAKE_SOURCE_DIR}/tools/make-msi ${CMAKE_SOURCE_DIR}/res/icons/app.ico
    VERBATIM)
add_custom_target(installer ALL DEPENDS ${quillmere_msi})

if(CMAKE_CROSSCOMPILING)
    # A prefix of its own (install-prefix), made afresh by the test, so nothing another test
    # left in the usual one can make an install look right.
    add_test(NAME installer
             COMMAND ${CMAKE_SOURCE_DIR}/tests/install/install_test.sh ${CMAKE_BINARY_DIR}
                     ${QUILLMERE_WINEARCH} ${quillmere_msi_arch} ${PROJECT_VERSION})
    set_tests_properties(installer PROPERTIES SKIP_RETURN_CODE 77 TIMEOUT 300)
endif()
