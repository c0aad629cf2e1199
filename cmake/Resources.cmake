# Resources of Quorvel.dll made at build time: the progress window's bar
# faces, generated from their colour lists, and the version resource.
find_package(Python3 REQUIRED COMPONENTS Interpreter)

set(QUORVEL_BARS_DIR ${CMAKE_BINARY_DIR}/resources)
set(QUORVEL_BAR_MAKER ${CMAKE_SOURCE_DIR}/src/progress/resources/make_bars.py)
add_custom_command(
  OUTPUT ${QUORVEL_BARS_DIR}/bar140.bmp ${QUORVEL_BARS_DIR}/bar141.bmp
  COMMAND ${Python3_EXECUTABLE} ${QUORVEL_BAR_MAKER} ${QUORVEL_BARS_DIR}
  DEPENDS ${QUORVEL_BAR_MAKER}
  COMMENT "Progress bar faces 140 and 141"
  VERBATIM)

configure_file(${CMAKE_SOURCE_DIR}/src/progress/resources/bars.rc.in
               ${QUORVEL_BARS_DIR}/bars.rc @ONLY)
configure_file(${CMAKE_SOURCE_DIR}/src/frame/resources/version.rc.in
               ${QUORVEL_BARS_DIR}/version.rc @ONLY)
set_source_files_properties(${QUORVEL_BARS_DIR}/bars.rc PROPERTIES
  OBJECT_DEPENDS "${QUORVEL_BARS_DIR}/bar140.bmp;${QUORVEL_BARS_DIR}/bar141.bmp")
target_sources(quorvel PRIVATE ${QUORVEL_BARS_DIR}/bars.rc ${QUORVEL_BARS_DIR}/version.rc)
