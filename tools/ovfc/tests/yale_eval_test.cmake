# cmake -DOVFC=<ovfc tool> -DFACES=<photograph folder> -DWORK=<scratch directory>
#       -DFLOORS=<key=min;...> -DCEILINGS=<key=max;...> [-DARGS="<eval options>"]
#       [-DMODELS=<networks folder>] -P yale_eval_test.cmake
# ovfc eval on the yale photographs with the configuration beside the tool; fails when a
# figure falls below its floor or rises above its ceiling. OVFC_FACES_DIR in the
# environment names another photograph folder. With MODELS the test is skipped when that
# folder lacks the networks' sums file (the models are not fetched).
if(DEFINED ENV{OVFC_FACES_DIR} AND NOT "$ENV{OVFC_FACES_DIR}" STREQUAL "")
  set(FACES "$ENV{OVFC_FACES_DIR}")
endif()
set(yale ${FACES}/yale)
if(NOT EXISTS ${yale}/truth.txt)
  message("SKIPPED: no photographs at ${yale}")
  return()
endif()
if(DEFINED MODELS AND NOT EXISTS ${MODELS}/models.sha256)
  message("SKIPPED: no models in ${MODELS}")
  return()
endif()
separate_arguments(args UNIX_COMMAND "${ARGS}")
file(REMOVE_RECURSE ${WORK})
file(MAKE_DIRECTORY ${WORK})
execute_process(COMMAND ${OVFC} eval --images ${yale} --truth ${yale}/truth.txt
                        --json ${WORK}/eval.json --threads 2 ${args}
                WORKING_DIRECTORY ${WORK} RESULT_VARIABLE rc OUTPUT_VARIABLE out
                ERROR_VARIABLE err)
message("${out}${err}")
if(NOT rc EQUAL 0)
  message(FATAL_ERROR "ovfc eval: exit ${rc}")
endif()
file(READ ${WORK}/eval.json json)
# The bounds arrive as one word with escaped separators ("a=1\;b=2"): split them, and
# refuse a bound that is not key=number, so that no figure goes unchecked.
set(failed "")
foreach(bounds FLOORS CEILINGS)
  string(REPLACE "\\;" ";" ${bounds} "${${bounds}}")
  foreach(pair ${${bounds}})
    if(NOT pair MATCHES "^[a-z0-9_]+=[0-9]+(\\.[0-9]+)?$")
      message(FATAL_ERROR "${bounds}: '${pair}' is not key=number")
    endif()
  endforeach()
endforeach()
foreach(pair ${FLOORS})
  string(REPLACE "=" ";" kv ${pair})
  list(GET kv 0 key)
  list(GET kv 1 floor)
  string(JSON value GET "${json}" ${key})
  if(value STREQUAL "null" OR value LESS floor)
    string(APPEND failed "${key} = ${value}, below ${floor}\n")
  endif()
endforeach()
foreach(pair ${CEILINGS})
  string(REPLACE "=" ";" kv ${pair})
  list(GET kv 0 key)
  list(GET kv 1 ceiling)
  string(JSON value GET "${json}" ${key})
  if(value STREQUAL "null" OR value GREATER ceiling)
    string(APPEND failed "${key} = ${value}, above ${ceiling}\n")
  endif()
endforeach()
file(REMOVE_RECURSE ${WORK})
if(failed)
  message(FATAL_ERROR "accuracy on ${yale} has dropped:\n${failed}")
endif()
