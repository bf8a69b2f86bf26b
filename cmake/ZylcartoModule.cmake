# Each subsystem is an object library, so that a test links only the modules it
# exercises and the two shared libraries are assembled from the same objects.
set(ZYLCARTO_WARNINGS -Wall -Wextra)

function(zylcarto_module name)
  cmake_parse_arguments(ARG "" "" "SOURCES;DEPENDS" ${ARGN})
  add_library(zylcarto_${name} OBJECT ${ARG_SOURCES})
  target_include_directories(zylcarto_${name} PUBLIC
    $<BUILD_INTERFACE:${PROJECT_SOURCE_DIR}>
    $<INSTALL_INTERFACE:${CMAKE_INSTALL_INCLUDEDIR}>)
  target_compile_options(zylcarto_${name} PRIVATE ${ZYLCARTO_WARNINGS})
  target_compile_definitions(zylcarto_${name} PRIVATE ZYLCARTO_BUILDING)
  # Only what carries ZYLCARTO_EXPORT leaves the shared libraries.
  set_target_properties(zylcarto_${name} PROPERTIES CXX_VISIBILITY_PRESET hidden VISIBILITY_INLINES_HIDDEN ON)
  if("${ARG_DEPENDS}" MATCHES "Qt6::")
    set_target_properties(zylcarto_${name} PROPERTIES AUTOMOC ON)
  endif()
  foreach(dep IN LISTS ARG_DEPENDS)
    target_link_libraries(zylcarto_${name} PUBLIC ${dep})
  endforeach()
endfunction()
