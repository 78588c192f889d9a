# cmake -DOVFC=<ovfc tool> -P bad_options_test.cmake
# Every command refuses a bad option before it reads a file: exit 2, a message naming the
# option and the command's usage line on stderr.

# refused(<text stderr must hold> args...)
function(refused expect_text)
  execute_process(COMMAND ${OVFC} ${ARGN} RESULT_VARIABLE rc OUTPUT_VARIABLE out
                  ERROR_VARIABLE err)
  list(GET ARGN 0 command)
  if(NOT rc EQUAL 2)
    message(FATAL_ERROR "ovfc ${ARGN}: exit ${rc}, expected 2\n${out}${err}")
  endif()
  string(FIND "${err}" "${expect_text}" at)
  string(FIND "${err}" "usage: ovfc ${command} " usage)
  if(at EQUAL -1 OR usage EQUAL -1)
    message(FATAL_ERROR "ovfc ${ARGN}: no '${expect_text}' and usage line in\n${err}")
  endif()
endfunction()

set(set /nonexistent/set)
refused("ovfc eval: --threads takes a whole number in 1..64, not '4x'"
        eval --images ${set} --truth ${set}/truth.txt --threads 4x)
refused("--probes takes a whole number" eval --images ${set} --truth t --probes=)
refused("unknown option --thread" eval --images ${set} --truth t --thread=2)
refused("--list is given more than once" eval --images ${set} --truth t --list --list)
refused("ovfc train: --threads takes a whole number in 1..64, not '4x'"
        train --images ${set} --truth t --out-masks m --threads 4x)
refused("--separation takes a number, not '1.5.2'"
        train --images ${set} --truth t --out-masks m --separation 1.5.2)
refused("--out-masks is required" train --images ${set} --truth t)
refused("--trim-number takes a whole number" stats --source "${set}/*.TIF" --trim-number many)
refused("not both" stats --source "${set}/*.TIF" --trim-score 1 --trim-number 2)
refused("--log needs a value" stats --source "${set}/*.TIF" --log)
refused("--persons takes a whole number in 1..99, not '100'"
        facegen --persons 100 --images 2 --out ${set})
refused("--seed takes an unsigned decimal number, not '-1'"
        facegen --persons 1 --images 2 --out ${set} --seed -1)
refused("--seed takes an unsigned decimal number" buildmasks --config c --out o --seed 7x)
refused("--images takes a whole number" buildmasks --config c --out o --images 0)
refused("--device takes a whole number in 0..8, not '9'" capture --device 9 out.tif)
refused("--flags takes a whole number in 0..30, not '0x1F'"
        grab --board 1 --channel 0 --flags 0x1F out.tif)
refused("--eyes needs 4 values" process image.tif --eyes 1 2 3)
refused("-o needs a value" process image.tif -o)
refused("--colour takes no value" convert a.tif b.tif --colour=yes)
refused("unknown option --size2" convert a.tif b.tif --size2 3x3)
refused("--config is given more than once" match a b --config x --config y)
refused("unknown option --confg" param param gamma --confg x)
refused("unknown option --sequentail" identify --base ${set} a.tif --sequentail)
refused("--base needs a value" base list --base)
refused("unknown option --pictures" base --base ${set} --pictures list)
