# Stand-ins for the outside pieces the program talks to, built only for Windows:
#   QuillarPrivileged.dll  the privileged object, an in-process COM server (tools/privobj;
#                          registered in a test prefix by tools/privobj/register.sh)
#   Hibernate.dll          the companion program started on a suspend: a Windows program
#                          under that name that records how it was started (tools/hibernate)
# Both are placed beside the program.
#
# Included from the top-level CMakeLists.txt after the tests: include(cmake/standins.cmake)
include_guard(GLOBAL)
if(WIN32)
  add_library(privobj SHARED ${CMAKE_SOURCE_DIR}/tools/privobj/privobj.cpp ${CMAKE_SOURCE_DIR}/tools/privobj/privobj.def)
  target_include_directories(privobj PRIVATE ${CMAKE_SOURCE_DIR}/src)
  target_compile_definitions(privobj PRIVATE ${QUILLAR_WIN32_DEFS})
  target_link_libraries(privobj PRIVATE ole32 oleaut32 advapi32 uuid)
  target_link_options(privobj PRIVATE -s)
  quillar_warnings(privobj)
  set_target_properties(privobj PROPERTIES PREFIX "" OUTPUT_NAME QuillarPrivileged
                                           RUNTIME_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR})

  add_executable(hibernate_standin WIN32 ${CMAKE_SOURCE_DIR}/tools/hibernate/hibernate.cpp)
  target_compile_definitions(hibernate_standin PRIVATE ${QUILLAR_WIN32_DEFS})
  quillar_warnings(hibernate_standin)
  set_target_properties(hibernate_standin PROPERTIES OUTPUT_NAME Hibernate SUFFIX ".dll"
                                                     RUNTIME_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR})

  # The Windows tests register the object and start the companion.
  if(TARGET win32_tests)
    add_dependencies(win32_tests privobj hibernate_standin)
  endif()
endif()
