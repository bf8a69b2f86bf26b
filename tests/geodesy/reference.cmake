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
find_package(SQLite3 QUIET)
if(TARGET PkgConfig::PROJ AND TARGET SQLite::SQLite3)
  # the datum table against the EPSG dataset of PROJ's proj.db, read through SQLite
  zylcarto_test(test_reference_proj MODULES support geodesy SOURCES test_reference_proj.cpp test_reference_epsg.cpp
    LIBS PkgConfig::PROJ SQLite::SQLite3)
else()
  message(STATUS "PROJ or SQLite not found: test_reference_proj skipped")
endif()
# geodesics against PROJ's geod and GeographicLib's Planimeter, run as programs (skipped without them)
zylcarto_test(test_geodesic MODULES support geodesy SOURCES test_geodesic.cpp)
