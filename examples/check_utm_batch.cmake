# Runs the batch converter on a few lines and compares its output and status.
# Expected grid positions are PROJ's cs2cs (utm, WGS 84) to 0.1 mm.
file(WRITE ${CMAKE_CURRENT_BINARY_DIR}/utm_batch_input.txt
  "48.2 16.4\n\n  -33.9\t18.4\n78 15\n95 0\nnorth east\n")
execute_process(COMMAND ${CONVERTER} INPUT_FILE ${CMAKE_CURRENT_BINARY_DIR}/utm_batch_input.txt
  OUTPUT_VARIABLE out ERROR_VARIABLE err RESULT_VARIABLE rc)
set(expected "33U 604028.2757 5339477.3311\n34H 259583.2217 6245888.0454\n33X 500000.0000 8658369.5858\n")
if(NOT out STREQUAL expected)
  message(FATAL_ERROR "output:\n${out}\nexpected:\n${expected}")
endif()
# The bad line outweighs the position outside the UTM area; both are named.
if(NOT rc EQUAL 2 OR NOT err MATCHES "line 5: 95 0 lies outside the UTM area" OR NOT err MATCHES "line 6: expected")
  message(FATAL_ERROR "status ${rc}, messages:\n${err}")
endif()
