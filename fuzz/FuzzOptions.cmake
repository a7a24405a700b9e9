# Included from the root when TUNELARK_FUZZ is on, before any library is
# defined: the libraries the fuzz targets link must carry the same coverage
# and sanitizer instrumentation, or libFuzzer is blind inside them.
if(NOT CMAKE_CXX_COMPILER_ID MATCHES "Clang")
    message(FATAL_ERROR "TUNELARK_FUZZ needs clang with libFuzzer, but the C++ compiler is "
        "${CMAKE_CXX_COMPILER_ID} (${CMAKE_CXX_COMPILER}). Configure with CC=clang CXX=clang++ "
        "in a fresh build directory, or use the preset \"fuzz\".")
endif()

# fuzzer-no-link: coverage for libFuzzer without its main(); only the fuzz
# targets link the fuzzer runtime. Undefined behaviour aborts, so libFuzzer
# keeps the input that caused it.
add_compile_options(-fsanitize=fuzzer-no-link,address,undefined -fno-sanitize-recover=undefined
    -fno-omit-frame-pointer)
add_link_options(-fsanitize=address,undefined)
