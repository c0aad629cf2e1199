# Hosts built with Microsoft's compiler: every export of the public headers
# also carries its Microsoft-decorated name, and Quorvel.lib is the import
# library for Microsoft's linker. scripts/msabi.py reads the names from the
# headers at build time (docs/windows-abi.md); a public declaration without
# a definition in the DLL fails the link.
find_package(Python3 REQUIRED COMPONENTS Interpreter)
find_program(QUORVEL_LLVM_DLLTOOL llvm-dlltool REQUIRED)

set(QUORVEL_MSABI_ARCH ${CMAKE_SYSTEM_PROCESSOR})
if(QUORVEL_MSABI_ARCH STREQUAL "i686")
  set(QUORVEL_DLLTOOL_MACHINE i386)
else()
  set(QUORVEL_DLLTOOL_MACHINE i386:x86-64)
endif()

# clang in Microsoft mode, with the MinGW-w64 headers standing in for the
# Windows SDK (as scripts/msabi.py parses them, from the same list).
set(QUORVEL_MS_TARGET ${QUORVEL_MSABI_ARCH}-pc-windows-msvc)
set(QUORVEL_MS_FLAGS_FILE ${CMAKE_SOURCE_DIR}/cmake/microsoft-mode.flags)
set_property(DIRECTORY APPEND PROPERTY CMAKE_CONFIGURE_DEPENDS ${QUORVEL_MS_FLAGS_FILE})
file(STRINGS ${QUORVEL_MS_FLAGS_FILE} QUORVEL_MS_FLAGS REGEX "^(-|${QUORVEL_MSABI_ARCH} )")
list(TRANSFORM QUORVEL_MS_FLAGS REPLACE "^${QUORVEL_MSABI_ARCH} " "")
list(APPEND QUORVEL_MS_FLAGS -DUNICODE -D_UNICODE)
set(QUORVEL_MS_DEFINES ${QUORVEL_MS_FLAGS})
list(FILTER QUORVEL_MS_DEFINES INCLUDE REGEX "^-D")

file(GLOB QUORVEL_PUBLIC_HEADERS CONFIGURE_DEPENDS ${CMAKE_SOURCE_DIR}/include/quorvel/*.h)
set(QUORVEL_MSABI_DIR ${CMAKE_BINARY_DIR}/msabi)
set(QUORVEL_MSABI_LINK_DEF ${QUORVEL_MSABI_DIR}/quorvel-decorated.def)
set(QUORVEL_MSABI_IMPORT_DEF ${QUORVEL_MSABI_DIR}/Quorvel.def)
set(QUORVEL_IMPORT_LIBRARY ${CMAKE_BINARY_DIR}/lib/Quorvel.lib)

add_custom_command(
  OUTPUT ${QUORVEL_MSABI_LINK_DEF} ${QUORVEL_MSABI_IMPORT_DEF}
  COMMAND ${CMAKE_COMMAND} -E make_directory ${QUORVEL_MSABI_DIR}
  COMMAND ${Python3_EXECUTABLE} ${CMAKE_SOURCE_DIR}/scripts/msabi.py def ${QUORVEL_MSABI_ARCH}
          ${QUORVEL_MSABI_LINK_DEF} ${QUORVEL_MSABI_IMPORT_DEF}
  DEPENDS ${QUORVEL_PUBLIC_HEADERS} ${CMAKE_SOURCE_DIR}/scripts/msabi.py ${QUORVEL_MS_FLAGS_FILE}
          ${CMAKE_SOURCE_DIR}/tests/exports.txt
  COMMENT "Microsoft-decorated names of the public headers (${QUORVEL_MSABI_ARCH})"
  VERBATIM)
target_sources(quorvel PRIVATE ${QUORVEL_MSABI_LINK_DEF})

# The adapters of the exports that take database handles by value.
set(QUORVEL_MSABI_HANDLES ${QUORVEL_MSABI_DIR}/handle_adapters.cpp)
add_custom_command(
  OUTPUT ${QUORVEL_MSABI_HANDLES}
  COMMAND ${Python3_EXECUTABLE} ${CMAKE_SOURCE_DIR}/scripts/msabi.py handles ${QUORVEL_MSABI_ARCH}
          ${QUORVEL_MSABI_HANDLES}
  DEPENDS ${QUORVEL_PUBLIC_HEADERS} ${CMAKE_SOURCE_DIR}/scripts/msabi.py ${QUORVEL_MS_FLAGS_FILE}
  COMMENT "Adapters of the exports that take database handles (${QUORVEL_MSABI_ARCH})"
  VERBATIM)
target_sources(quorvel PRIVATE ${QUORVEL_MSABI_HANDLES})

# <quorvel/wchar.h>: the public headers with inline wchar_t forms.
set(QUORVEL_WCHAR_HEADER ${CMAKE_BINARY_DIR}/include/quorvel/wchar.h)
add_custom_command(
  OUTPUT ${QUORVEL_WCHAR_HEADER}
  COMMAND ${Python3_EXECUTABLE} ${CMAKE_SOURCE_DIR}/scripts/msabi.py wide ${QUORVEL_WCHAR_HEADER}
  DEPENDS ${QUORVEL_PUBLIC_HEADERS} ${CMAKE_SOURCE_DIR}/scripts/msabi.py ${QUORVEL_MS_FLAGS_FILE}
  COMMENT "<quorvel/wchar.h>"
  VERBATIM)

add_custom_command(
  OUTPUT ${QUORVEL_IMPORT_LIBRARY}
  COMMAND ${CMAKE_COMMAND} -E make_directory ${CMAKE_BINARY_DIR}/lib
  COMMAND ${QUORVEL_LLVM_DLLTOOL} -m ${QUORVEL_DLLTOOL_MACHINE} -d ${QUORVEL_MSABI_IMPORT_DEF}
          -l ${QUORVEL_IMPORT_LIBRARY}
  DEPENDS ${QUORVEL_MSABI_IMPORT_DEF}
  COMMENT "Quorvel.lib for Microsoft's linker"
  VERBATIM)
add_custom_target(quorvel_import_library ALL DEPENDS ${QUORVEL_IMPORT_LIBRARY} ${QUORVEL_WCHAR_HEADER})
add_dependencies(quorvel_import_library quorvel)

# The heap: malloc and its kin from ucrtbase.dll rather than MinGW's
# msvcrt.dll, whose heap is not the one a Microsoft-runtime host frees into.
# Each symbol is asked for before any archive is read, so that every object
# of the link (ours, libstdc++'s operator new, winpthreads) binds to it.
set(QUORVEL_UCRT_HEAP ${CMAKE_BINARY_DIR}/ucrt-heap/libquorvel-ucrt-heap.a)
add_custom_command(
  OUTPUT ${QUORVEL_UCRT_HEAP}
  COMMAND ${CMAKE_COMMAND} -E make_directory ${CMAKE_BINARY_DIR}/ucrt-heap
  COMMAND ${QUORVEL_LLVM_DLLTOOL} -m ${QUORVEL_DLLTOOL_MACHINE} -d ${CMAKE_SOURCE_DIR}/cmake/ucrt-heap.def
          -l ${QUORVEL_UCRT_HEAP}
  DEPENDS ${CMAKE_SOURCE_DIR}/cmake/ucrt-heap.def
  VERBATIM)
add_custom_target(quorvel_ucrt_heap DEPENDS ${QUORVEL_UCRT_HEAP})
file(STRINGS ${CMAKE_SOURCE_DIR}/cmake/ucrt-heap.def QUORVEL_UCRT_HEAP_SYMBOLS REGEX "^  [_a-z]+$")
function(quorvel_use_ucrt_heap target)
  add_dependencies(${target} quorvel_ucrt_heap)
  target_link_libraries(${target} PRIVATE ${QUORVEL_UCRT_HEAP})
  foreach(symbol ${QUORVEL_UCRT_HEAP_SYMBOLS})
    string(STRIP ${symbol} symbol)
    if(QUORVEL_MSABI_ARCH STREQUAL "i686")
      set(symbol _${symbol})
    endif()
    target_link_options(${target} PRIVATE -Wl,--undefined=${symbol})
  endforeach()
endfunction()
quorvel_use_ucrt_heap(quorvel)
