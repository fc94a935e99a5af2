# Run by cpack on its staging folder before each package is made: every file
# and folder gets the time SOURCE_DATE_EPOCH names (release.sh sets it to the
# commit's), so two builds of one commit give the same archives.
if(NOT DEFINED ENV{SOURCE_DATE_EPOCH} OR NOT "$ENV{SOURCE_DATE_EPOCH}" MATCHES "^[0-9]+$")
  message(FATAL_ERROR "SOURCE_DATE_EPOCH is not set: make releases with scripts/release.sh")
endif()
file(GLOB_RECURSE staged LIST_DIRECTORIES TRUE "${CPACK_TEMPORARY_INSTALL_DIRECTORY}/*")
if(NOT staged)
  message(FATAL_ERROR "nothing staged in ${CPACK_TEMPORARY_INSTALL_DIRECTORY}")
endif()
execute_process(COMMAND touch -h -d "@$ENV{SOURCE_DATE_EPOCH}" ${staged} "${CPACK_TEMPORARY_INSTALL_DIRECTORY}"
                RESULT_VARIABLE rc)
if(NOT rc EQUAL 0)
  message(FATAL_ERROR "could not set the staged files' times")
endif()
