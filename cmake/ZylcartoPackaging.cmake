# Debian packages, one per install component: `cpack -G DEB` in the build folder.
# Every install() rule names its component; a component gets its package as soon
# as some rule installs into it (the designer plugin's target installs into
# "designer").
set(CPACK_PACKAGE_NAME zylcarto)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_CONTACT "zylcarto developers <zylcarto@example.org>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "Geodesy, calibrated map widgets, geographic database and atlas")
set(CPACK_GENERATOR DEB)
set(CPACK_DEB_COMPONENT_INSTALL ON)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_STRIP_FILES ON)  # the debugging information stays in the build tree
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
# The designer plugin needs the libraries of another component: dpkg-shlibdeps
# finds them in the build tree, and the dependency on their package comes from
# the component's.
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS_PRIVATE_DIRS ${PROJECT_BINARY_DIR}/zylcarto)
set(CPACK_DEBIAN_ENABLE_COMPONENT_DEPENDS ON)
# A shlibs file, so that packages built elsewhere against the libraries depend on them.
set(CPACK_DEBIAN_PACKAGE_GENERATE_SHLIBS ON)
set(CPACK_DEBIAN_PACKAGE_GENERATE_SHLIBS_POLICY ">=")

include(CPackComponent)

# zylcarto_package(COMPONENT PACKAGE SECTION SUMMARY [DEPENDS component...] [DEBIAN_DEPENDS text])
function(zylcarto_package component package section summary)
  cmake_parse_arguments(ARG "" "DEBIAN_DEPENDS" "DEPENDS" ${ARGN})
  string(TOUPPER ${component} C)
  set(CPACK_DEBIAN_${C}_PACKAGE_NAME ${package} PARENT_SCOPE)
  set(CPACK_DEBIAN_${C}_PACKAGE_SECTION ${section} PARENT_SCOPE)
  set(CPACK_COMPONENT_${C}_DESCRIPTION "${CPACK_PACKAGE_DESCRIPTION_SUMMARY} - ${summary}" PARENT_SCOPE)
  if(ARG_DEPENDS)
    set(CPACK_COMPONENT_${C}_DEPENDS ${ARG_DEPENDS} PARENT_SCOPE)
  endif()
  if(ARG_DEBIAN_DEPENDS)
    set(CPACK_DEBIAN_${C}_PACKAGE_DEPENDS "${ARG_DEBIAN_DEPENDS}" PARENT_SCOPE)
  endif()
endfunction()

set(ZYLCARTO_DEV_DEPENDS "")
if(ZYLCARTO_WIDGETS)
  set(ZYLCARTO_DEV_DEPENDS "qt6-base-dev, qt6-positioning-dev")  # the widget headers include Qt's
endif()
zylcarto_package(runtime libzylcarto${PROJECT_VERSION_MAJOR} libs "shared libraries")
zylcarto_package(dev libzylcarto-dev libdevel "headers, CMake package and pkg-config file"
  DEPENDS runtime DEBIAN_DEPENDS "${ZYLCARTO_DEV_DEPENDS}")
zylcarto_package(tools zylcarto-tools utils "command-line tool and demo")  # linked statically
zylcarto_package(designer zylcarto-designer-plugin devel "Qt Designer plugin" DEPENDS runtime)

get_cmake_property(CPACK_COMPONENTS_ALL COMPONENTS)
if("Unspecified" IN_LIST CPACK_COMPONENTS_ALL)
  message(FATAL_ERROR "an install() rule names no COMPONENT: its files would be in no package")
endif()

include(CPack)
