# The build without Qt, for the Windows cross build: the track list, the
# configuration, saving, the player, the emulator control with the Win32 platform layer, the
# single-instance rule, the native Win32 window (tunelark.exe), the Win32
# stand-ins, and the tests of these.
# Programs and tests land in one folder, where the system finds the stand-ins
# next to the program that starts them.
set(CMAKE_AUTOMOC OFF)
set(CMAKE_RUNTIME_OUTPUT_DIRECTORY "${PROJECT_BINARY_DIR}/bin")

add_subdirectory(src/util)
add_subdirectory(src/tracklist)
add_subdirectory(src/app)
add_subdirectory(src/emulator)
add_subdirectory(src/player)
add_subdirectory(standins/win)
if(WIN32)
    add_subdirectory(src/win32)
endif()

if(TUNELARK_BUILD_BENCH)
    # Run by scripts/windows.sh --bench; prints figures and asserts nothing.
    add_executable(bench_emulator_win bench/bench_emulator_win.cpp)
    target_link_libraries(bench_emulator_win PRIVATE tunelark_options tunelark_emulator tunelark_platform
        tunelark_mainloop_win tunelark_mediaoverlay_win)
    target_include_directories(bench_emulator_win PRIVATE "${PROJECT_SOURCE_DIR}/tests/support")
    add_dependencies(bench_emulator_win standin_hoot standin_hootclient)
    # The baseline of the start-up timed from Linux (bench/bench_wine_startup.cpp).
    add_executable(bench_bare_window_win WIN32 bench/bare_window_win.cpp)
    target_compile_definitions(bench_bare_window_win PRIVATE UNICODE _UNICODE)
    target_link_libraries(bench_bare_window_win PRIVATE tunelark_options comctl32 shell32)
    if(MINGW)
        target_link_options(bench_bare_window_win PRIVATE -municode) # wWinMain as the entry point
    endif()
endif()

if(TUNELARK_BUILD_TESTS)
    enable_testing()
    include(tests/qtfree.cmake)
endif()
