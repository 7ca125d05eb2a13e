# QuillarPro.sys: our kernel driver for the program's request protocol (src/driver).
#   native trees   the portable part (request decoding and the allow-lists) as an object
#                  library for the unit tests and the fuzz target
#   build/win32    QuillarPro.sys for i386 and, in x64/, the x86-64 one as well: the 32-bit
#                  installer packs both, and building both here keeps that tree complete on
#                  its own (the driver takes seconds to build; no order between the trees)
#   build/win64    QuillarPro.sys for x86-64
# The driver has no C runtime, no exceptions, no RTTI and no static constructors; it imports
# only from ntoskrnl.exe and hal.dll. It is built by commands of its own rather than as a
# target of the tree's toolchain, since the other architecture's compiler builds it too.
# After linking, tools/driver/peimage.py writes the image checksum and checks the image
# (native subsystem, machine, imports, relocations, checksum; wrong images refused): a fault
# fails the build.
#
# Included from the top-level CMakeLists.txt: include(cmake/driver.cmake)
include_guard(GLOBAL)
set(QUILLAR_DRIVER_SOURCE ${CMAKE_SOURCE_DIR}/src/driver)
set(QUILLAR_DRIVER_PORTABLE ${QUILLAR_DRIVER_SOURCE}/allowed.cpp ${QUILLAR_DRIVER_SOURCE}/protocol.cpp)

if(NOT WIN32)
  add_library(quillar_driver_logic OBJECT ${QUILLAR_DRIVER_PORTABLE})
  target_include_directories(quillar_driver_logic PUBLIC ${CMAKE_SOURCE_DIR}/src)
  quillar_warnings(quillar_driver_logic)
  return()
endif()

find_package(Python3 REQUIRED COMPONENTS Interpreter)
file(GLOB QUILLAR_DRIVER_INPUTS CONFIGURE_DEPENDS ${QUILLAR_DRIVER_SOURCE}/*)
set(QUILLAR_PEIMAGE ${CMAKE_SOURCE_DIR}/tools/driver/peimage.py)

# quillar_driver(ARCH OUTPUT): builds QuillarPro.sys for ARCH (i386 or x86-64) as OUTPUT.
function(quillar_driver arch output)
  if(arch STREQUAL "i386")
    set(triplet i686-w64-mingw32)
    # The processors the program looks after (Pentium, K6, WinChip, 6x86) have no CMOV. No
    # unwind tables: nothing in the kernel reads them on i386 (x86-64's are its exception data).
    set(arch_flags -march=i586 -fno-asynchronous-unwind-tables -fno-unwind-tables)
    set(entry _DriverEntry@8)
  else()
    set(triplet x86_64-w64-mingw32)
    set(arch_flags)
    set(entry DriverEntry)
  endif()
  find_program(QUILLAR_DRIVER_CXX_${arch} NAMES ${triplet}-g++-posix ${triplet}-g++ REQUIRED)
  find_path(QUILLAR_DRIVER_DDK_${arch} NAMES ntifs.h PATHS /usr/${triplet}/include/ddk
            NO_DEFAULT_PATH NO_CMAKE_FIND_ROOT_PATH REQUIRED)
  set(cxx ${QUILLAR_DRIVER_CXX_${arch}})
  set(common_flags ${arch_flags} -Wall -Wextra -I${CMAKE_SOURCE_DIR}/src)
  if(QUILLAR_WERROR)
    list(APPEND common_flags -Werror)
  endif()
  set(cxx_flags -std=c++20 -O2 ${common_flags} -ffreestanding -fno-exceptions -fno-rtti -fno-threadsafe-statics
                -fno-stack-protector -mno-stack-arg-probe -mgeneral-regs-only -I${QUILLAR_DRIVER_DDK_${arch}})
  # Relocations: the kernel loads a driver wherever it finds room. The image base is the
  # customary one for drivers; no time stamp, so equal sources give equal images.
  set(link_flags -nostdlib -s -Wl,--subsystem,native -Wl,--entry,${entry} -Wl,--image-base,0x10000
                 -Wl,--dynamicbase -Wl,--enable-reloc-section -Wl,--nxcompat -Wl,--no-insert-timestamp)
  get_filename_component(dir ${output} DIRECTORY)
  set(work ${CMAKE_BINARY_DIR}/driver-${arch})
  set(objects)
  set(commands)
  foreach(src ${QUILLAR_DRIVER_PORTABLE} ${QUILLAR_DRIVER_SOURCE}/driver_nt.cpp ${QUILLAR_DRIVER_SOURCE}/privileged_x86.S)
    get_filename_component(name ${src} NAME_WE)
    list(APPEND objects ${work}/${name}.o)
    if(src MATCHES "\\.S$")
      list(APPEND commands COMMAND ${cxx} -x assembler-with-cpp ${common_flags} -c ${src} -o ${work}/${name}.o)
    else()
      list(APPEND commands COMMAND ${cxx} ${cxx_flags} -c ${src} -o ${work}/${name}.o)
    endif()
  endforeach()
  add_custom_command(
    OUTPUT ${output}
    COMMAND ${CMAKE_COMMAND} -E make_directory ${work} ${dir}
    ${commands}
    COMMAND ${cxx} ${link_flags} -o ${work}/QuillarPro.sys ${objects} -lntoskrnl -lhal
    COMMAND Python3::Interpreter ${QUILLAR_PEIMAGE} seal ${work}/QuillarPro.sys
    COMMAND Python3::Interpreter ${QUILLAR_PEIMAGE} check ${work}/QuillarPro.sys --machine ${arch} --mutants
    COMMAND ${CMAKE_COMMAND} -E copy ${work}/QuillarPro.sys ${output}
    DEPENDS ${QUILLAR_DRIVER_INPUTS} ${QUILLAR_PEIMAGE}
    COMMENT "Building the kernel driver QuillarPro.sys (${arch})"
    VERBATIM)
endfunction()

if(QUILLAR_32BIT)
  quillar_driver(i386 ${CMAKE_BINARY_DIR}/QuillarPro.sys)
  quillar_driver(x86-64 ${CMAKE_BINARY_DIR}/x64/QuillarPro.sys)
  add_custom_target(QuillarPro ALL DEPENDS ${CMAKE_BINARY_DIR}/QuillarPro.sys ${CMAKE_BINARY_DIR}/x64/QuillarPro.sys)
  set(QUILLAR_DRIVER_X64 ${CMAKE_BINARY_DIR}/x64/QuillarPro.sys)
else()
  quillar_driver(x86-64 ${CMAKE_BINARY_DIR}/QuillarPro.sys)
  add_custom_target(QuillarPro ALL DEPENDS ${CMAKE_BINARY_DIR}/QuillarPro.sys)
endif()
