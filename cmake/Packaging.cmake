# Releases, all of the project's one version: on POSIX the Debian packages
# libquorvel0, libquorvel-dev and quorvel (cpack -G DEB in the build folder);
# on Windows the SDK archive Quorvel-VERSION-win32.zip or -win64.zip (cpack -G
# ZIP). scripts/check-release checks them as a user would.
file(STRINGS ${CMAKE_SOURCE_DIR}/CHANGELOG.md QUORVEL_RELEASE_LINE
     REGEX "^## ${PROJECT_VERSION} \\([0-9-]+\\)$" LIMIT_COUNT 1)
if(NOT QUORVEL_RELEASE_LINE)
  message(FATAL_ERROR "CHANGELOG.md has no entry \"## ${PROJECT_VERSION} (YYYY-MM-DD)\"")
endif()
string(REGEX REPLACE ".*\\((.*)\\)$" "\\1" QUORVEL_RELEASE_DATE "${QUORVEL_RELEASE_LINE}")

# cpack installs what the build made; it does not build every target first
# (the tests among them): the CI builds what is installed before packing.
set(CMAKE_SKIP_INSTALL_ALL_DEPENDENCY ON)
set(CPACK_PACKAGE_NAME Quorvel)
set(CPACK_PACKAGE_VENDOR "The Quorvel developers")
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_STRIP_FILES ON)
set(CPACK_COMPONENTS_ALL runtime development cli)
set(QUORVEL_LICENCES ${CMAKE_SOURCE_DIR}/licenses/SQLite.txt
                     ${CMAKE_SOURCE_DIR}/licenses/SQLite3MultipleCiphers.txt)

if(WIN32)
  # One archive with everything, under a folder of the archive's name.
  if(CMAKE_SYSTEM_PROCESSOR STREQUAL "i686")
    set(CPACK_PACKAGE_FILE_NAME Quorvel-${PROJECT_VERSION}-win32)
  else()
    set(CPACK_PACKAGE_FILE_NAME Quorvel-${PROJECT_VERSION}-win64)
  endif()
  set(CPACK_GENERATOR ZIP)
  set(CPACK_ARCHIVE_COMPONENT_INSTALL OFF)
  install(FILES README.md CHANGELOG.md DESTINATION . COMPONENT development)
  install(DIRECTORY samples DESTINATION . COMPONENT development)
  # What the DLL and quorvel.exe carry besides Quorvel: SQLite, and the
  # MinGW-w64 runtime and GCC support libraries linked in statically (their
  # notices as the toolchain's Debian packages give them).
  install(FILES ${QUORVEL_LICENCES} DESTINATION licenses COMPONENT runtime)
  install(FILES /usr/share/doc/mingw-w64-common/copyright
          DESTINATION licenses RENAME MinGW-w64.txt COMPONENT runtime)
  install(FILES /usr/share/doc/gcc-mingw-w64-base/copyright
          DESTINATION licenses RENAME GCC-runtime.txt COMPONENT runtime)
  include(CPack)
  return()
endif()

# ---- the manual page and the bash completion, from the help texts ----------
set(manual_dir ${CMAKE_BINARY_DIR}/manual)
add_custom_command(
  OUTPUT ${manual_dir}/quorvel.1.gz ${manual_dir}/quorvel
  COMMAND ${CMAKE_COMMAND} -E make_directory ${manual_dir}
  COMMAND ${CMAKE_COMMAND} -E env ASAN_OPTIONS=detect_leaks=0
          ${Python3_EXECUTABLE} ${CMAKE_SOURCE_DIR}/scripts/manual.py $<TARGET_FILE:quorvel-cli>
          ${CMAKE_SOURCE_DIR}/tools/quorvel.1.in ${PROJECT_VERSION} ${QUORVEL_RELEASE_DATE}
          ${manual_dir}/quorvel.1 ${manual_dir}/quorvel
  COMMAND gzip -9nf ${manual_dir}/quorvel.1
  DEPENDS quorvel-cli ${CMAKE_SOURCE_DIR}/scripts/manual.py ${CMAKE_SOURCE_DIR}/tools/quorvel.1.in
  COMMENT "quorvel(1) and its bash completion, from the help texts"
  VERBATIM)
add_custom_target(quorvel_manual ALL DEPENDS ${manual_dir}/quorvel.1.gz)
install(FILES ${manual_dir}/quorvel.1.gz DESTINATION share/man/man1 COMPONENT cli)
install(FILES ${manual_dir}/quorvel DESTINATION share/bash-completion/completions COMPONENT cli)

# ---- Debian packages ----------------------------------------------------------
# Each package's /usr/share/doc/PACKAGE: the copyright (Quorvel, then what
# the library compiles in) and a changelog in Debian's form.
set(doc_dir ${CMAKE_BINARY_DIR}/debian-doc)
execute_process(COMMAND date -u -R -d ${QUORVEL_RELEASE_DATE}
                OUTPUT_VARIABLE QUORVEL_DEB_DATE OUTPUT_STRIP_TRAILING_WHITESPACE)
set(QUORVEL_MAINTAINER "Quorvel developers <quorvel@quorvel.invalid>")
file(WRITE ${doc_dir}/changelog
     "quorvel (${PROJECT_VERSION}) unstable; urgency=medium\n\n"
     "  * Release ${PROJECT_VERSION}: see CHANGELOG.md in the source.\n\n"
     " -- ${QUORVEL_MAINTAINER}  ${QUORVEL_DEB_DATE}\n")
execute_process(COMMAND gzip -9nf ${doc_dir}/changelog)
set(copyright "Quorvel ${PROJECT_VERSION}\nCopyright the Quorvel developers.\n")
foreach(licence ${QUORVEL_LICENCES})
  file(READ ${licence} text)
  string(APPEND copyright "\n-------------------------------------------------------------------------------\n${text}")
endforeach()
file(WRITE ${doc_dir}/copyright "${copyright}")

set(CPACK_GENERATOR DEB)
set(CPACK_DEB_COMPONENT_INSTALL ON)
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_MAINTAINER ${QUORVEL_MAINTAINER})
set(CPACK_DEBIAN_PACKAGE_SOURCE quorvel)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
# dpkg-shlibdeps finds libquorvel.so.0 in the build for the command's package.
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS_PRIVATE_DIRS ${CMAKE_BINARY_DIR}/bin)
set(QUORVEL_EXACT "(= ${PROJECT_VERSION})")
foreach(component_package runtime:libquorvel0 development:libquorvel-dev cli:quorvel)
  string(REPLACE ":" ";" pair ${component_package})
  list(GET pair 0 component)
  list(GET pair 1 package)
  string(TOUPPER ${component} upper)
  set(CPACK_DEBIAN_${upper}_PACKAGE_NAME ${package})
  install(FILES ${doc_dir}/copyright ${doc_dir}/changelog.gz
          DESTINATION share/doc/${package} COMPONENT ${component})
endforeach()
set(CPACK_DEBIAN_RUNTIME_PACKAGE_SECTION libs)
set(CPACK_DEBIAN_PACKAGE_GENERATE_SHLIBS ON)
set(CPACK_DEBIAN_PACKAGE_GENERATE_SHLIBS_POLICY ">=")
set(CPACK_DEBIAN_PACKAGE_CONTROL_STRICT_PERMISSION ON)
file(WRITE ${doc_dir}/triggers "activate-noawait ldconfig\n")
set(CPACK_DEBIAN_RUNTIME_PACKAGE_CONTROL_EXTRA ${doc_dir}/triggers)
set(CPACK_DEBIAN_RUNTIME_DESCRIPTION
  "Quorvel, the common utility library of Japanese desktop applications
File and folder encryption into the library's container format, file and
path utilities, Japanese encodings, calendar and Japanese holidays and an
Access-style database wrapper over SQLite, with the Win32 calls it makes
supplied on POSIX. This package holds the shared libraries.")
set(CPACK_DEBIAN_DEVELOPMENT_PACKAGE_SECTION libdevel)
set(CPACK_DEBIAN_DEVELOPMENT_PACKAGE_DEPENDS "libquorvel0 ${QUORVEL_EXACT}")
set(CPACK_DEBIAN_DEVELOPMENT_DESCRIPTION
  "Quorvel development files
The headers, the CMake package (find_package(Quorvel)) and the pkg-config
file of Quorvel, the common utility library of Japanese desktop
applications.")
set(CPACK_DEBIAN_CLI_PACKAGE_SECTION utils)
set(CPACK_DEBIAN_CLI_PACKAGE_DEPENDS "libquorvel0 ${QUORVEL_EXACT}")
set(CPACK_DEBIAN_CLI_DESCRIPTION
  "encrypt files and folder trees into Quorvel containers
The quorvel command: password encryption of files and folder trees into
Quorvel containers and back, and the library's digests, Blowfish files,
databases, Japanese holidays, shortcuts and version resources from the
command line.")
include(CPack)
