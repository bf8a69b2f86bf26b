# Accuracy against independent implementations: GeographicLib and PROJ are test
# oracles only; without them these tests are left out, not failed.
find_package(PkgConfig QUIET)
if(PkgConfig_FOUND)
  pkg_check_modules(GEOGRAPHICLIB QUIET IMPORTED_TARGET geographiclib)
  pkg_check_modules(PROJ QUIET IMPORTED_TARGET proj)
endif()
if(TARGET PkgConfig::GEOGRAPHICLIB)
  zylcarto_test(test_reference_geographiclib MODULES support geodesy
    SOURCES test_reference_geographiclib.cpp LIBS PkgConfig::GEOGRAPHICLIB)
else()
  message(STATUS "GeographicLib not found: test_reference_geographiclib skipped")
endif()
if(TARGET PkgConfig::PROJ)
  zylcarto_test(test_reference_proj MODULES support geodesy SOURCES test_reference_proj.cpp LIBS PkgConfig::PROJ)
else()
  message(STATUS "PROJ not found: test_reference_proj skipped")
endif()
