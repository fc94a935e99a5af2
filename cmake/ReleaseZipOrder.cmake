# Run by cpack after each package is made: the zip is written again with its
# members in name order (cpack adds them in the order the file system lists
# them, which differs between machines). The staged files keep their fixed
# times; the zip takes them from there.
if(NOT CPACK_GENERATOR STREQUAL "ZIP")
  return()
endif()
file(GLOB_RECURSE members RELATIVE "${CPACK_TEMPORARY_INSTALL_DIRECTORY}" "${CPACK_TEMPORARY_INSTALL_DIRECTORY}/*")
list(SORT members)
string(REPLACE ";" "\n" listing "${members}")
set(list_file "${CPACK_TOPLEVEL_DIRECTORY}/zip-members.txt")
file(WRITE "${list_file}" "${listing}\n")
foreach(package IN LISTS CPACK_PACKAGE_FILES)
  file(REMOVE "${package}")
  execute_process(COMMAND ${CMAKE_COMMAND} -E tar cf "${package}" --format=zip "--files-from=${list_file}"
                  WORKING_DIRECTORY "${CPACK_TEMPORARY_INSTALL_DIRECTORY}" RESULT_VARIABLE rc)
  if(NOT rc EQUAL 0)
    message(FATAL_ERROR "could not write ${package} in name order")
  endif()
endforeach()
