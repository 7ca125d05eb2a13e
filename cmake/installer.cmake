# QuillarSetup.exe: the installer (installer/quillar.nsi), made when makensis is present. It
# packs the program, its language file, manual and picture library, the companion when the
# build has one, both kernel drivers (i386 and x86-64, cmake/driver.cmake) and calls
# Ostrilon.dll from the build folder as its plug-in.
#
# Included from the top-level CMakeLists.txt after the program's targets: include(cmake/installer.cmake)
include_guard(GLOBAL)
if(WIN32)
  find_program(MAKENSIS makensis NO_CMAKE_FIND_ROOT_PATH)
  if(MAKENSIS)
    set(QUILLAR_SETUP ${CMAKE_BINARY_DIR}/QuillarSetup.exe)
    set(packed Quillar Ostrilon Lumisca ${CMAKE_BINARY_DIR}/quillar.ini ${CMAKE_BINARY_DIR}/doc/index.html
               ${CMAKE_BINARY_DIR}/QuillarPro.sys ${QUILLAR_DRIVER_X64})
    if(TARGET Hibernate)
      list(APPEND packed Hibernate)
    endif()
    add_custom_command(
      OUTPUT ${QUILLAR_SETUP}
      COMMAND ${MAKENSIS} -V2 -NOCD -DBUILD_DIR=${CMAKE_BINARY_DIR} -DDRIVER64=${QUILLAR_DRIVER_X64}
              -DOUTFILE=${QUILLAR_SETUP}
              ${CMAKE_SOURCE_DIR}/installer/quillar.nsi
      DEPENDS ${CMAKE_SOURCE_DIR}/installer/quillar.nsi ${packed}
      COMMENT "Building the installer QuillarSetup.exe")
    add_custom_target(QuillarSetup ALL DEPENDS ${QUILLAR_SETUP})
  else()
    message(STATUS "makensis not found: no installer")
  endif()
endif()
