# Language level, warnings and defines shared by every target of the project.
set(CMAKE_CXX_STANDARD 20)
set(CMAKE_CXX_STANDARD_REQUIRED ON)
set(CMAKE_CXX_EXTENSIONS OFF)
set(CMAKE_AUTOMOC ON)

option(TUNELARK_WERROR "Treat warnings as errors" OFF)

add_library(tunelark_options INTERFACE)
target_compile_options(tunelark_options INTERFACE -Wall -Wextra -pedantic
    $<$<BOOL:${TUNELARK_WERROR}>:-Werror>)
target_compile_definitions(tunelark_options INTERFACE
    QT_NO_CAST_FROM_ASCII QT_NO_CAST_TO_ASCII QT_NO_FOREACH)
target_include_directories(tunelark_options INTERFACE "${PROJECT_SOURCE_DIR}/src")

# Where the stand-in programs land, so tests and the demo can put them first on PATH.
set(TUNELARK_STANDIN_DIR "${PROJECT_BINARY_DIR}/standins/bin")
