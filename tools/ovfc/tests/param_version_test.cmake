# cmake -DOVFC=<ovfc tool> -DWORK=<scratch directory> -P param_version_test.cmake
# The version and param subcommands, end to end on a scratch configuration file.
file(REMOVE_RECURSE ${WORK})
file(MAKE_DIRECTORY ${WORK})
file(WRITE ${WORK}/ovfc.ini "; scratch\n[param]\ngamma = 1\nk = 12 34\n")

function(run expect_rc expect_out)
  execute_process(COMMAND ${OVFC} ${ARGN} WORKING_DIRECTORY ${WORK}
                  RESULT_VARIABLE rc OUTPUT_VARIABLE out ERROR_VARIABLE err)
  if(NOT rc EQUAL expect_rc)
    message(FATAL_ERROR "ovfc ${ARGN}: exit ${rc}, expected ${expect_rc}\n${out}${err}")
  endif()
  if(NOT "${out}" STREQUAL "${expect_out}")
    message(FATAL_ERROR "ovfc ${ARGN}: printed '${out}', expected '${expect_out}'")
  endif()
endfunction()

run(0 "0.02.006\n" version)
run(2 "" version extra)
run(0 "1\n" param PARAM Gamma)
run(0 "12\n" param param k)
run(1 "" param param missing)
run(2 "" param param)
run(0 "" param library version 0.02.006)
run(0 "0.02.006\n" param LIBRARY VERSION --config ovfc.ini)
run(3 "" param param gamma --config none.ini)
file(READ ${WORK}/ovfc.ini saved)
# The file keeps its own lines; the new section goes to the end.
if(NOT saved STREQUAL "; scratch\n[param]\ngamma = 1\nk = 12 34\n\n[library]\nversion = 0.02.006\n")
  message(FATAL_ERROR "saved file:\n${saved}")
endif()

# Runs the tool and checks the exit code and a pattern in what it printed on stderr.
function(run_err expect_rc pattern)
  execute_process(COMMAND ${OVFC} ${ARGN} WORKING_DIRECTORY ${WORK}
                  RESULT_VARIABLE rc OUTPUT_VARIABLE out ERROR_VARIABLE err)
  if(NOT rc EQUAL expect_rc OR NOT "${err}" MATCHES "${pattern}")
    message(FATAL_ERROR "ovfc ${ARGN}: exit ${rc}, expected ${expect_rc}\n${out}${err}")
  endif()
endfunction()

# Values the file cannot hold as given are refused, and the file stays as it was.
run_err(2 "longer than 32 characters" param param gamma 012345678901234567890123456789012)
run_err(2 "line break" param param gamma "2\n[library]\nversion=1")
run_err(2 "line break" param param gamma "2\r")
run(0 "" param param gamma 01234567890123456789012345678901)
file(READ ${WORK}/ovfc.ini after)
if(NOT after STREQUAL "; scratch\n[param]\ngamma = 01234567890123456789012345678901\nk = 12 34\n\n[library]\nversion = 0.02.006\n")
  message(FATAL_ERROR "after refused values:\n${after}")
endif()

# A file that stops the reading early is reported with its line and never saved over.
set(broken "[param]\ngamma = 1\n[broken\nk = 2\n")
file(WRITE ${WORK}/bad.ini "${broken}")
run_err(3 "bad.ini:3: .*not saved" param param gamma 2 --config bad.ini)
file(READ ${WORK}/bad.ini after)
if(NOT after STREQUAL broken)
  message(FATAL_ERROR "damaged file was changed:\n${after}")
endif()
run_err(0 "bad.ini:3: " param param gamma --config bad.ini)
file(REMOVE_RECURSE ${WORK})
