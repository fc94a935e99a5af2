# The release (windows configuration only): a portable zip and an NSIS
# installer holding the same files. scripts/release.sh builds them with
# `cpack --preset release` into build/release.

set(LARKSPAN_COPYRIGHT "Copyright (C) 2026 Brindlewick")
set(release_files ${CMAKE_BINARY_DIR}/release-files)
# Notepad on older Windows wants CR LF.
configure_file(${CMAKE_SOURCE_DIR}/packaging/README.txt.in ${release_files}/README.txt @ONLY NEWLINE_STYLE CRLF)
configure_file(${CMAKE_SOURCE_DIR}/LICENSE ${release_files}/LICENSE.txt @ONLY NEWLINE_STYLE CRLF)

install(TARGETS larkspan RUNTIME DESTINATION .)
install(FILES ${CMAKE_SOURCE_DIR}/resources/settings.ini ${release_files}/README.txt
              ${release_files}/LICENSE.txt DESTINATION .)
install(FILES ${CMAKE_SOURCE_DIR}/resources/art/mdb.ico DESTINATION Icons)
# The same files by name, in name order: the installer adds and removes them
# in this order, whatever order the file system lists them in.
set(packed Icons/mdb.ico LICENSE.txt README.txt larkspan.exe settings.ini)
set(LARKSPAN_NSIS_INSTALL "")
set(LARKSPAN_NSIS_DELETE "")
set(folders "")
set(out_path "")
foreach(file IN LISTS packed)
  string(REPLACE "/" "\\" name "${file}")
  get_filename_component(folder "${name}" DIRECTORY)
  set(target "$INSTDIR")
  if(folder)
    string(APPEND target "\\${folder}")
  endif()
  if(NOT target STREQUAL out_path)
    string(APPEND LARKSPAN_NSIS_INSTALL "    SetOutPath \"${target}\"\n")
    set(out_path "${target}")
  endif()
  string(APPEND LARKSPAN_NSIS_INSTALL "    File \"\${INST_DIR}\\${name}\"\n")
  string(APPEND LARKSPAN_NSIS_DELETE "    Delete \"$INSTDIR\\${name}\"\n")
  if(folder)
    list(APPEND folders "${folder}")
  endif()
endforeach()
list(REMOVE_DUPLICATES folders)
foreach(folder IN LISTS folders)
  string(APPEND LARKSPAN_NSIS_DELETE "    RMDir \"$INSTDIR\\${folder}\"\n")
endforeach()
if(NOT out_path STREQUAL "$INSTDIR")
  string(APPEND LARKSPAN_NSIS_INSTALL "    SetOutPath \"$INSTDIR\"\n")
endif()

# Packaging builds nothing of its own: release.sh builds the exe first, and
# the tests and tools of this configuration never enter a package.
set(CMAKE_SKIP_INSTALL_ALL_DEPENDENCY TRUE)
set(CMAKE_SKIP_PACKAGE_ALL_DEPENDENCY TRUE)

set(CPACK_PACKAGE_NAME Larkspan)
set(CPACK_PACKAGE_VENDOR Brindlewick)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "Larkspan application-launch bar")
set(CPACK_PACKAGE_INSTALL_DIRECTORY Larkspan)
set(CPACK_PACKAGE_FILE_NAME larkspan-${PROJECT_VERSION}-win64)
set(CPACK_GENERATOR ZIP NSIS)
set(CPACK_INCLUDE_TOPLEVEL_DIRECTORY OFF)
set(CPACK_STRIP_FILES OFF)  # the exe is linked stripped
set(CPACK_NSIS_COMPRESSOR "/SOLID lzma")
set(CPACK_NSIS_URL_INFO_ABOUT "https://www.brindlewick.example/larkspan")
set(LARKSPAN_ICON ${CMAKE_SOURCE_DIR}/resources/art/larkspan.ico)
set(LARKSPAN_NSIS_LANGUAGES ${CMAKE_SOURCE_DIR}/packaging/nsis/languages.nsh)
list(PREPEND CMAKE_MODULE_PATH ${CMAKE_SOURCE_DIR}/packaging/nsis)
# Per generator: the installer's own name, and the fixed file times.
configure_file(${CMAKE_SOURCE_DIR}/cmake/ReleaseOptions.cmake.in ${CMAKE_BINARY_DIR}/ReleaseOptions.cmake @ONLY)
set(CPACK_PROJECT_CONFIG_FILE ${CMAKE_BINARY_DIR}/ReleaseOptions.cmake)
set(CPACK_PRE_BUILD_SCRIPTS ${CMAKE_SOURCE_DIR}/cmake/ReleaseFileTimes.cmake)
set(CPACK_POST_BUILD_SCRIPTS ${CMAKE_SOURCE_DIR}/cmake/ReleaseZipOrder.cmake)
include(CPack)
