# The picture library Lumisca.dll: a resource-only DLL, one bitmap per processor picture,
# placed beside the program. The bitmaps are drawn on the build machine by
# tools/lumisca/make_bitmaps.cpp (built with the host's own C++ compiler), then bound by
# tools/lumisca/lumisca.rc. The DLL has no code and no entry point; the program maps it as
# a data file only.
#
# Included from the top-level CMakeLists.txt: include(cmake/lumisca.cmake)
include_guard(GLOBAL)
if(WIN32)
  find_program(LUMISCA_HOST_CXX NAMES c++ g++ clang++ REQUIRED NO_CMAKE_FIND_ROOT_PATH)
  set(LUMISCA_DIR ${CMAKE_BINARY_DIR}/lumisca)
  set(LUMISCA_GENERATOR ${LUMISCA_DIR}/make_bitmaps)
  set(LUMISCA_STAMP ${LUMISCA_DIR}/bitmaps.stamp)
  file(MAKE_DIRECTORY ${LUMISCA_DIR})

  add_custom_command(
    OUTPUT ${LUMISCA_GENERATOR}
    COMMAND ${LUMISCA_HOST_CXX} -std=c++17 -O1 -Wall -Wextra -Werror -o ${LUMISCA_GENERATOR} ${CMAKE_SOURCE_DIR}/tools/lumisca/make_bitmaps.cpp
    DEPENDS ${CMAKE_SOURCE_DIR}/tools/lumisca/make_bitmaps.cpp
    COMMENT "Building the picture generator for the build machine")
  add_custom_command(
    OUTPUT ${LUMISCA_STAMP}
    COMMAND ${LUMISCA_GENERATOR} ${LUMISCA_DIR}
    COMMAND ${CMAKE_COMMAND} -E touch ${LUMISCA_STAMP}
    DEPENDS ${LUMISCA_GENERATOR}
    COMMENT "Drawing the processor pictures")
  add_custom_target(lumisca_bitmaps DEPENDS ${LUMISCA_STAMP})

  add_library(Lumisca SHARED ${CMAKE_SOURCE_DIR}/tools/lumisca/lumisca.rc)
  add_dependencies(Lumisca lumisca_bitmaps)
  set_source_files_properties(${CMAKE_SOURCE_DIR}/tools/lumisca/lumisca.rc PROPERTIES OBJECT_DEPENDS ${LUMISCA_STAMP})
  # windres finds the bitmaps in the generator's folder (only -D and -I reach windres this way;
  # the .rc file states its own code page).
  target_compile_options(Lumisca PRIVATE $<$<COMPILE_LANGUAGE:RC>:-I${LUMISCA_DIR}>)
  set_target_properties(Lumisca PROPERTIES PREFIX "" OUTPUT_NAME Lumisca LINKER_LANGUAGE C
                                           RUNTIME_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR})
  # No C runtime, no entry point, no imports: nothing in it can run.
  target_link_options(Lumisca PRIVATE -nostdlib -Wl,--entry=0 -s)
  set_property(TARGET Lumisca PROPERTY LINK_LIBRARIES "")
endif()
