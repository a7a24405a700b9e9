# Cross build for 64-bit Windows with mingw-w64 (Debian: g++-mingw-w64-x86-64).
# The posix thread flavour of the compiler has std::thread and std::mutex;
# everything is linked statically so the programs need no DLL beside them.
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR x86_64)

set(TUNELARK_MINGW_PREFIX x86_64-w64-mingw32)
set(CMAKE_C_COMPILER ${TUNELARK_MINGW_PREFIX}-gcc-posix)
set(CMAKE_CXX_COMPILER ${TUNELARK_MINGW_PREFIX}-g++-posix)
set(CMAKE_RC_COMPILER ${TUNELARK_MINGW_PREFIX}-windres)

set(CMAKE_FIND_ROOT_PATH /usr/${TUNELARK_MINGW_PREFIX})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)

set(CMAKE_EXE_LINKER_FLAGS_INIT "-static -static-libgcc -static-libstdc++")

# ctest and add_custom_command run the Windows programs through Wine.
if(EXISTS /usr/lib/wine/wine64)
    set(CMAKE_CROSSCOMPILING_EMULATOR /usr/lib/wine/wine64)
endif()
