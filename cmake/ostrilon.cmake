# Ostrilon.dll: the installer's administrator check (src/admincheck). It shares nothing with
# the program and links only system libraries; the runtime is linked in statically so the
# DLL needs nothing beside it. One export, checkIsAdmin, named in ostrilon.def.
#
# Included from the top-level CMakeLists.txt: include(cmake/ostrilon.cmake)
include_guard(GLOBAL)
if(WIN32)
  file(GLOB OSTRILON_SOURCES CONFIGURE_DEPENDS ${CMAKE_SOURCE_DIR}/src/admincheck/*.cpp)
  list(FILTER OSTRILON_SOURCES EXCLUDE REGEX "_posix\\.cpp$")
  add_library(Ostrilon SHARED ${OSTRILON_SOURCES} ${CMAKE_SOURCE_DIR}/src/admincheck/ostrilon.def)
  target_include_directories(Ostrilon PRIVATE ${CMAKE_SOURCE_DIR}/src)
  target_compile_definitions(Ostrilon PRIVATE ${QUILLAR_WIN32_DEFS} WIN32_LEAN_AND_MEAN)
  target_compile_options(Ostrilon PRIVATE -fno-exceptions -fno-rtti)
  quillar_warnings(Ostrilon)
  target_link_libraries(Ostrilon PRIVATE advapi32 kernel32)
  set_target_properties(Ostrilon PROPERTIES PREFIX "" OUTPUT_NAME Ostrilon
                                            RUNTIME_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR})
  target_link_options(Ostrilon PRIVATE -static -s -Wl,--no-insert-timestamp)
endif()
