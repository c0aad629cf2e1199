# The database engine's storage, on every build: the SQLite amalgamation with
# SQLite3 Multiple Ciphers from npm (scripts/sqlite-amalgamation, pinned by
# version and checksum), one static library built into the engine. The same
# cipher code on both sides keeps password-protected files interchangeable.
set(QUORVEL_SQLITE_DIR ${CMAKE_BINARY_DIR}/_deps/sqlite)
# Where the checked package file is kept between build trees; with it there,
# configuring needs no registry. Empty: $QUORVEL_SQLITE_CACHE, else ~/.cache/quorvel.
set(QUORVEL_SQLITE_CACHE "$ENV{QUORVEL_SQLITE_CACHE}" CACHE PATH
    "Folder holding the SQLite amalgamation's package file (default ~/.cache/quorvel)")
set(sqlite_cache_env)
if(QUORVEL_SQLITE_CACHE)
  set(sqlite_cache_env QUORVEL_SQLITE_CACHE=${QUORVEL_SQLITE_CACHE})
endif()
execute_process(COMMAND ${CMAKE_COMMAND} -E env ${sqlite_cache_env}
                        bash ${CMAKE_SOURCE_DIR}/scripts/sqlite-amalgamation ${QUORVEL_SQLITE_DIR}
                RESULT_VARIABLE QUORVEL_SQLITE_FETCHED)
if(NOT QUORVEL_SQLITE_FETCHED EQUAL 0)
  message(FATAL_ERROR "scripts/sqlite-amalgamation failed: the SQLite amalgamation is needed")
endif()
add_library(quorvel_sqlite STATIC ${QUORVEL_SQLITE_DIR}/sqlite3.c)
target_include_directories(quorvel_sqlite SYSTEM PUBLIC ${QUORVEL_SQLITE_DIR})
# Column metadata tells the engine which table a column comes from;
# the AEGIS cipher (AES-NI intrinsics) does not build for i686 with GCC 12;
# double-quoted text is always a name, as the SQL translation writes it.
target_compile_definitions(quorvel_sqlite PRIVATE
  SQLITE_ENABLE_COLUMN_METADATA SQLITE_DQS=0 SQLITE_THREADSAFE=1
  SQLITE_DEFAULT_WAL_SYNCHRONOUS=1 SQLITE_OMIT_LOAD_EXTENSION SQLITE_DEFAULT_MEMSTATUS=0
  HAVE_CIPHER_AEGIS=0)
# Third-party code, built alike in every preset: optimised, without the
# sanitizers and fuzzer instrumentation some presets add to the flags.
target_compile_options(quorvel_sqlite PRIVATE -w -O2 -g0)
if(NOT WIN32)
  target_compile_options(quorvel_sqlite PRIVATE -fno-sanitize=all)
endif()
# Not part of the library's interface: its symbols stay inside it.
set_target_properties(quorvel_sqlite PROPERTIES POSITION_INDEPENDENT_CODE ON
                      C_VISIBILITY_PRESET hidden)
