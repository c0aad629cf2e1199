# find_package(Quorvel) gives the imported target Quorvel::quorvel.
include(${CMAKE_CURRENT_LIST_DIR}/QuorvelTargets.cmake)

# The Windows SDK carries two import libraries: MinGW links libQuorvel.dll.a
# (as exported), Microsoft's linker Quorvel.lib.
get_filename_component(_quorvel_lib ${CMAKE_CURRENT_LIST_DIR}/../../Quorvel.lib ABSOLUTE)
if(WIN32 AND EXISTS ${_quorvel_lib} AND (MSVC OR CMAKE_CXX_SIMULATE_ID STREQUAL "MSVC"))
  get_target_property(_quorvel_configs Quorvel::quorvel IMPORTED_CONFIGURATIONS)
  foreach(_config ${_quorvel_configs})
    set_target_properties(Quorvel::quorvel PROPERTIES IMPORTED_IMPLIB_${_config} ${_quorvel_lib})
  endforeach()
endif()
unset(_quorvel_lib)
unset(_quorvel_configs)
