# cmake -DOVFC=<ovfc> -DOUT=<file> -DBOARD=n -DFLAGS=f -DCONFIG=<ini> -DEXPECT_BYTES=n -P grab_cli.cmake
# Runs "ovfc grab" and checks the written file (a raw .PIC is exactly the frame bytes).
file(REMOVE ${OUT})
execute_process(COMMAND ${OVFC} grab --board ${BOARD} --channel 0 --flags ${FLAGS}
                        --config ${CONFIG} ${OUT}
                RESULT_VARIABLE rc OUTPUT_VARIABLE out ERROR_VARIABLE err)
if(NOT rc EQUAL 0)
  message(FATAL_ERROR "ovfc grab failed (${rc}): ${out} ${err}")
endif()
file(SIZE ${OUT} size)
if(DEFINED EXPECT_BYTES AND NOT size EQUAL EXPECT_BYTES)
  message(FATAL_ERROR "${OUT}: ${size} bytes, expected ${EXPECT_BYTES}")
endif()
if(DEFINED INFO)
  execute_process(COMMAND ${OVFC} info ${OUT} RESULT_VARIABLE rc OUTPUT_VARIABLE out)
  if(NOT rc EQUAL 0 OR NOT out MATCHES "${INFO}")
    message(FATAL_ERROR "ovfc info ${OUT}: ${out}")
  endif()
endif()
message(STATUS "${out}")
