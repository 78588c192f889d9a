# cmake -DOVFC=<ovfc tool> -DFACES=<photographs> -DCONFIG_DIR=<config/> -DOUT=<file>
#       -P shipped_masks_test.cmake
# Retrains the shipped default masks with the command written in ovfc.ini and compares the
# bytes with the committed file.
if(NOT EXISTS ${FACES}/yale/truth.txt)
  message("SKIPPED: no photographs at ${FACES}/yale")
  return()
endif()
execute_process(COMMAND ${OVFC} train --images ${FACES}/yale --truth ${FACES}/yale/truth.txt
                        --persons 1-10 --passes 2 --config ${CONFIG_DIR}/ovfc.ini
                        --seed-masks ${CONFIG_DIR}/synthetic/synthetic.dsc --out-masks ${OUT}
                RESULT_VARIABLE rc OUTPUT_VARIABLE out ERROR_VARIABLE err)
if(NOT rc EQUAL 0)
  message(FATAL_ERROR "ovfc train: exit ${rc}\n${out}${err}")
endif()
execute_process(COMMAND ${CMAKE_COMMAND} -E compare_files ${CONFIG_DIR}/ovfcmask.dsc ${OUT}
                RESULT_VARIABLE same)
if(NOT same EQUAL 0)
  message(FATAL_ERROR "config/ovfcmask.dsc is not what the training command in ovfc.ini makes")
endif()
