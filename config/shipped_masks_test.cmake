# cmake -DOVFC=<ovfc tool> -DFACES=<photographs> -DCONFIG_DIR=<config/> -DOUT=<file>
#       -P shipped_masks_test.cmake
# Reruns the training command written at the top of ovfc.ini (its paths taken from the
# project root, the output redirected to OUT) and compares the bytes with the committed
# default masks.
if(NOT EXISTS ${FACES}/yale/truth.txt)
  message("SKIPPED: no photographs at ${FACES}/yale")
  return()
endif()
file(READ ${CONFIG_DIR}/ovfc.ini ini)
if(NOT ini MATCHES ";[ ]+ovfc (train[^\n]*)\n;[ ]+(--[^\n]*)\n;[ ]+(--[^\n]*)\n")
  message(FATAL_ERROR "ovfc.ini names no training command")
endif()
set(command "${CMAKE_MATCH_1} ${CMAKE_MATCH_2} ${CMAKE_MATCH_3}")
string(REGEX REPLACE "--out-masks +config/ovfcmask.dsc" "--out-masks ${OUT}" command "${command}")
string(REPLACE "../shared/faces/" "${FACES}/" command "${command}")
string(REPLACE " config/" " ${CONFIG_DIR}/" command "${command}")
separate_arguments(args UNIX_COMMAND "${command}")
execute_process(COMMAND ${OVFC} ${args} RESULT_VARIABLE rc OUTPUT_VARIABLE out ERROR_VARIABLE err)
if(NOT rc EQUAL 0)
  message(FATAL_ERROR "ovfc ${command}: exit ${rc}\n${out}${err}")
endif()
execute_process(COMMAND ${CMAKE_COMMAND} -E compare_files ${CONFIG_DIR}/ovfcmask.dsc ${OUT}
                RESULT_VARIABLE same)
if(NOT same EQUAL 0)
  message(FATAL_ERROR "config/ovfcmask.dsc is not what the training command in ovfc.ini makes")
endif()
