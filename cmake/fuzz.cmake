# The fuzzing build (build/fuzz, made by scripts/fuzz): clang only, every source compiled
# with libFuzzer's coverage and both sanitizers, so that a finding in the program's own code
# is reported where it happens. Only the fuzz targets are built in this tree.
include_guard(GLOBAL)
if(NOT CMAKE_CXX_COMPILER_ID STREQUAL "Clang")
  message(FATAL_ERROR "QUILLAR_FUZZ needs clang (configure with -DCMAKE_CXX_COMPILER=clang++)")
endif()
if(WIN32)
  message(FATAL_ERROR "QUILLAR_FUZZ is a native build")
endif()
add_compile_options(-fsanitize=fuzzer-no-link,address,undefined -fno-sanitize-recover=all
                    -fno-omit-frame-pointer -gline-tables-only
                    -fsanitize-coverage-ignorelist=${CMAKE_SOURCE_DIR}/tests/fuzz/coverage_ignore.txt)
add_link_options(-fsanitize=address,undefined)
