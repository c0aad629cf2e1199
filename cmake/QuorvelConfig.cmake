# find_package(Quorvel) gives the imported target Quorvel::quorvel.
include(${CMAKE_CURRENT_LIST_DIR}/QuorvelTargets.cmake)
