# System DLLs that showing the bar does not need are imported late: a
# delay-import library made from the system import library with dlltool
# stands in for it, and the DLL loads at the first call of one of its
# functions (from the system folder: base/win32/SystemLibrary.cpp).
#
# binutils' thunk keeps the integer argument registers only: a function with
# a float or double argument must not be called through it (look such a one
# up with SystemFunction instead). None of the late DLLs' functions the
# program calls takes one.
#
# larkspan_delay_import_libraries(OUT dll...) sets OUT to the libraries to
# link in place of -l<dll>.
function(larkspan_delay_import_libraries out)
  set(libraries)
  foreach(dll IN LISTS ARGN)
    execute_process(COMMAND ${CMAKE_CXX_COMPILER} -print-file-name=lib${dll}.a
                    OUTPUT_VARIABLE import_lib OUTPUT_STRIP_TRAILING_WHITESPACE)
    if(NOT EXISTS "${import_lib}")
      message(FATAL_ERROR "no import library lib${dll}.a")
    endif()
    set(folder ${CMAKE_BINARY_DIR}/delay-imports)
    set(library ${folder}/lib${dll}_delay.a)
    add_custom_command(
      OUTPUT ${library}
      COMMAND ${CMAKE_COMMAND} -E make_directory ${folder}
      COMMAND ${CMAKE_COMMAND} -DNM=${CMAKE_NM} -DDLLTOOL=${CMAKE_DLLTOOL} -DIMPORT_LIB=${import_lib}
              -DDLL=${dll}.dll -DOUT=lib${dll}_delay.a -P ${CMAKE_SOURCE_DIR}/cmake/MakeDelayLib.cmake
      WORKING_DIRECTORY ${folder}
      DEPENDS ${import_lib} ${CMAKE_SOURCE_DIR}/cmake/MakeDelayLib.cmake
      COMMENT "Delay-import library for ${dll}.dll"
      VERBATIM)
    add_custom_target(delay_import_${dll} DEPENDS ${library})
    add_library(larkspan_delay_${dll} STATIC IMPORTED GLOBAL)
    set_target_properties(larkspan_delay_${dll} PROPERTIES IMPORTED_LOCATION ${library})
    add_dependencies(larkspan_delay_${dll} delay_import_${dll})
    list(APPEND libraries larkspan_delay_${dll})
  endforeach()
  set(${out} ${libraries} PARENT_SCOPE)
endfunction()
