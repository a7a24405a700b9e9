# Tests of the build without Qt (cmake/QtFreeBuild.cmake), run under Wine when
# cross-built for Windows.

# Debian's GoogleTest libraries are built for Linux: build it from its sources
# with the same compiler.
set(INSTALL_GTEST OFF CACHE BOOL "" FORCE)
set(BUILD_GMOCK OFF CACHE BOOL "" FORCE)
set(TUNELARK_GOOGLETEST_SOURCE /usr/src/googletest CACHE PATH "GoogleTest sources (Debian package googletest)")
add_subdirectory(${TUNELARK_GOOGLETEST_SOURCE} "${PROJECT_BINARY_DIR}/googletest" EXCLUDE_FROM_ALL SYSTEM)

function(tunelark_add_qtfree_test name)
    cmake_parse_arguments(T "" "" "SOURCES;LIBS" ${ARGN})
    add_executable(${name} ${T_SOURCES})
    target_link_libraries(${name} PRIVATE tunelark_options GTest::gtest GTest::gtest_main ${T_LIBS})
    target_include_directories(${name} PRIVATE "${dir}/support") # header-only there
    add_test(NAME ${name} COMMAND ${name})
endfunction()

set(dir "${CMAKE_CURRENT_LIST_DIR}")

tunelark_add_qtfree_test(tst_commandline SOURCES "${dir}/platform/tst_commandline.cpp" LIBS tunelark_platform)
tunelark_add_qtfree_test(tst_emulatorcontrol SOURCES "${dir}/emulator/tst_emulatorcontrol.cpp"
    LIBS tunelark_emulator tunelark_platform)
tunelark_add_qtfree_test(tst_tracklist
    SOURCES "${dir}/tracklist/tst_conversions.cpp" "${dir}/tracklist/tst_listfile.cpp"
            "${dir}/tracklist/tst_shiftjis.cpp" "${dir}/tracklist/tst_shiftjis_win.cpp"
    LIBS tunelark_tracklist)

# The configuration and saving tests make their folders with POSIX mkdtemp, which the
# Windows C runtime lacks; a small stand-in for it is included ahead.
tunelark_add_qtfree_test(tst_config SOURCES "${dir}/settings/tst_config.cpp" LIBS tunelark_config)
tunelark_add_qtfree_test(tst_savefile SOURCES "${dir}/storage/tst_savefile.cpp" LIBS tunelark_savefile)
tunelark_add_qtfree_test(tst_unsavedtimes SOURCES "${dir}/storage/tst_unsavedtimes.cpp" LIBS tunelark_unsavedtimes)
tunelark_add_qtfree_test(tst_checkcommand SOURCES "${dir}/app/tst_checkcommand.cpp" LIBS tunelark_app)
tunelark_add_qtfree_test(tst_nowplayingfile SOURCES "${dir}/storage/tst_nowplayingfile.cpp" LIBS tunelark_nowplaying)
tunelark_add_qtfree_test(tst_resumestate SOURCES "${dir}/storage/tst_resumestate.cpp" LIBS tunelark_resumestate)
foreach(test tst_config tst_savefile tst_checkcommand tst_nowplayingfile tst_resumestate)
    target_compile_options(${test} PRIVATE -include "${dir}/platform/mkdtemp_win.h")
endforeach()

tunelark_add_qtfree_test(tst_platform_win SOURCES "${dir}/platform/tst_platform_win.cpp"
    LIBS tunelark_emulator tunelark_platform tunelark_instance tunelark_mainloop_win)
target_compile_options(tst_platform_win PRIVATE -include "${dir}/platform/mkdtemp_win.h")
# The tests start the stand-ins, which sit next to them.
add_dependencies(tst_platform_win standin_hoot standin_hootclient)

tunelark_add_qtfree_test(tst_mainloop_win SOURCES "${dir}/win32/tst_mainloop_win.cpp" LIBS tunelark_mainloop_win)
target_compile_options(tst_mainloop_win PRIVATE -include "${dir}/platform/mkdtemp_win.h")
add_dependencies(tst_mainloop_win standin_hootclient)

# The system's media overlay as tests/e2e/e2e.sh registers it in its Wine prefix.
add_library(mediacontrols_standin SHARED "${dir}/win32/mediacontrols_standin_win.cpp")
set_target_properties(mediacontrols_standin PROPERTIES PREFIX "")
target_link_libraries(mediacontrols_standin PRIVATE tunelark_options runtimeobject)
target_link_options(mediacontrols_standin PRIVATE -static -static-libgcc -static-libstdc++)

tunelark_add_qtfree_test(tst_textmeasure_win SOURCES "${dir}/win32/tst_textmeasure_win.cpp"
    "${dir}/../src/win32/textmeasure_win.cpp" "${dir}/../src/win32/gdi_win.cpp" LIBS tunelark_player gdi32)
target_compile_definitions(tst_textmeasure_win PRIVATE UNICODE _UNICODE)
