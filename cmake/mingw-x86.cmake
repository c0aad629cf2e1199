set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR i686)
set(CMAKE_C_COMPILER i686-w64-mingw32-gcc-posix)
set(CMAKE_CXX_COMPILER i686-w64-mingw32-g++-posix)
set(CMAKE_RC_COMPILER i686-w64-mingw32-windres)
set(CMAKE_FIND_ROOT_PATH /usr/i686-w64-mingw32)
# Microsoft's 32-bit convention promises a caller's stack aligned to 4 bytes
# only: every object (the SQLite amalgamation's AES-NI code first) realigns
# where it keeps SIMD values on the stack. CMakeLists.txt checks it is set.
set(QUORVEL_I686_STACK -mincoming-stack-boundary=2)
set(CMAKE_C_FLAGS_INIT ${QUORVEL_I686_STACK})
set(CMAKE_CXX_FLAGS_INIT ${QUORVEL_I686_STACK})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
# 32-bit Wine is optional here; scripts/test-all decides whether to run.
execute_process(COMMAND /usr/lib/wine/wine --version
                RESULT_VARIABLE wine32_result OUTPUT_QUIET ERROR_QUIET)
if(wine32_result EQUAL 0)
  set(CMAKE_CROSSCOMPILING_EMULATOR /usr/lib/wine/wine)
endif()
