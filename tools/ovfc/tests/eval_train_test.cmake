# cmake -DOVFC=<ovfc tool> -DCONFIG=<ovfc.ini> -DWORK=<scratch directory> -P eval_train_test.cmake
# The eval and train subcommands end to end on a small synthetic set, and their answers to
# bad input.
file(REMOVE_RECURSE ${WORK})
file(MAKE_DIRECTORY ${WORK})
set(set ${WORK}/set)

# run(<exit status> <text the output must hold, or "">  args...)
function(run expect_rc expect_text)
  execute_process(COMMAND ${OVFC} ${ARGN} WORKING_DIRECTORY ${WORK}
                  RESULT_VARIABLE rc OUTPUT_VARIABLE out ERROR_VARIABLE err)
  if(NOT rc EQUAL expect_rc)
    message(FATAL_ERROR "ovfc ${ARGN}: exit ${rc}, expected ${expect_rc}\n${out}${err}")
  endif()
  string(FIND "${out}${err}" "${expect_text}" at)
  if(at EQUAL -1)
    message(FATAL_ERROR "ovfc ${ARGN}: no '${expect_text}' in\n${out}${err}")
  endif()
  set(output "${out}" PARENT_SCOPE)
endfunction()

function(json_at_least file key floor)
  file(READ ${file} json)
  string(JSON value GET "${json}" ${key})
  if(value STREQUAL "null" OR value LESS floor)
    message(FATAL_ERROR "${key} = ${value}, expected at least ${floor}\n${json}")
  endif()
endfunction()

run(0 "" facegen --persons 4 --images 3 --seed 5 --out ${set})

# The synthetic frames are 256 x 255 already: eyes, identification and all JSON keys.
run(0 "frames            : 12" eval --images ${set} --truth ${set}/truth.txt
    --config ${CONFIG} --json ${WORK}/eval.json --list)
string(FIND "${output}" "00000101.TIF" at)
if(at EQUAL -1)
  message(FATAL_ERROR "--list names no frame:\n${output}")
endif()
file(READ ${WORK}/eval.json json)
foreach(key frames processed eye_err_median eyes_within_010 eyes_within_025 rank1 eer
            process_ms_median match_ms_median)
  string(JSON value ERROR_VARIABLE missing GET "${json}" ${key})
  if(missing)
    message(FATAL_ERROR "eval.json lacks ${key}:\n${json}")
  endif()
endforeach()
json_at_least(${WORK}/eval.json processed 10)
json_at_least(${WORK}/eval.json eyes_within_025 0.75)
json_at_least(${WORK}/eval.json rank1 0.5)

# The same frames stored at twice the size: read back fitted they are the same bytes, so
# the figures agree once the true eyes are mapped from the stored pixels (a stored pixel
# pair 2x, 2x + 1 shows frame pixel x: its centre 2x + 0.5).
file(MAKE_DIRECTORY ${WORK}/big)
file(STRINGS ${set}/truth.txt lines)
set(big_truth "")
foreach(line ${lines})
  string(REPLACE " " ";" f "${line}")
  list(GET f 0 name)
  list(GET f 1 person)
  run(0 "" convert ${set}/${name} ${WORK}/big/${name} --size 512x510)
  string(APPEND big_truth "${name} ${person}")
  foreach(i 2 3 4 5)
    list(GET f ${i} v)
    string(REPLACE "." "" tenths "${v}")
    math(EXPR t "2 * ${tenths} + 5")
    math(EXPR whole "${t} / 10")
    math(EXPR frac "${t} % 10")
    string(APPEND big_truth " ${whole}.${frac}")
  endforeach()
  string(APPEND big_truth "\n")
endforeach()
file(WRITE ${WORK}/big/truth.txt "${big_truth}")
run(0 "" eval --images ${WORK}/big --truth ${WORK}/big/truth.txt --config ${CONFIG}
    --json ${WORK}/big.json)
file(READ ${WORK}/big.json big)
foreach(key processed rank1 eer)
  string(JSON a GET "${json}" ${key})
  string(JSON b GET "${big}" ${key})
  if(NOT a STREQUAL b)
    message(FATAL_ERROR "${key}: ${a} on the frames, ${b} on the enlarged images")
  endif()
endforeach()
# Unmapped, the true eyes would lie twice as far from the origin: errors above 1.
string(JSON a GET "${json}" eye_err_median)
string(JSON b GET "${big}" eye_err_median)
if(a GREATER 0.1 OR b GREATER 0.1)
  message(FATAL_ERROR "eye error median: ${a} on the frames, ${b} on the enlarged images")
endif()

# A subset of probes and of persons.
run(0 "rank-1            : " eval --images ${set} --truth ${set}/truth.txt --config ${CONFIG}
    --probes 2 --persons 2-3)
string(REGEX MATCH "of 2 probes" probes "${output}")
string(REGEX MATCH "frames            : 6" frames "${output}")
if(NOT probes OR NOT frames)
  message(FATAL_ERROR "--probes 2 --persons 2-3:\n${output}")
endif()

# --true-eyes places descriptors and probes at the true eyes: with a configuration whose
# eye search accepts no pair, every image still processes and every probe still compares.
file(MAKE_DIRECTORY ${WORK}/nopair)
file(READ ${CONFIG} ini)
string(REGEX REPLACE "FirstTR *= *[0-9]+" "FirstTR = 100000" ini "${ini}")
file(WRITE ${WORK}/nopair/ovfc.ini "${ini}")
get_filename_component(config_dir ${CONFIG} DIRECTORY)
string(REGEX MATCH "DefaultMasks *= *([^ ;\n]+)" masks "${ini}")
file(COPY ${config_dir}/${CMAKE_MATCH_1} DESTINATION ${WORK}/nopair)
run(0 "processed         : 0" eval --images ${set} --truth ${set}/truth.txt
    --config ${WORK}/nopair/ovfc.ini --probes 3)
run(0 "processed         : 12" eval --images ${set} --truth ${set}/truth.txt
    --config ${WORK}/nopair/ovfc.ini --json ${WORK}/true_eyes.json --true-eyes)
json_at_least(${WORK}/true_eyes.json rank1 0.75)
file(READ ${WORK}/true_eyes.json true_eyes)
string(JSON median GET "${true_eyes}" eye_err_median)
if(median GREATER 0.02)
  message(FATAL_ERROR "--true-eyes: eye error median ${median}\n${true_eyes}")
endif()

# Training on the set: a descriptor of ten masks, usable as the default masks.
run(0 "" train --images ${set} --truth ${set}/truth.txt --out-masks ${WORK}/trained.dsc
    --config ${CONFIG} --passes 1)
file(READ ${WORK}/trained.dsc head LIMIT 10 HEX)
if(NOT head STREQUAL "4f56464344455343030a")
  message(FATAL_ERROR "trained.dsc starts with ${head}")
endif()
file(MAKE_DIRECTORY ${WORK}/trained)
file(READ ${CONFIG} ini)
string(REGEX REPLACE "DefaultMasks *= *[^ ;\n]+" "DefaultMasks = ovfcmask.dsc" ini "${ini}")
file(WRITE ${WORK}/trained/ovfc.ini "${ini}")
file(COPY_FILE ${WORK}/trained.dsc ${WORK}/trained/ovfcmask.dsc)
run(0 "processed" eval --images ${set} --truth ${set}/truth.txt
    --config ${WORK}/trained/ovfc.ini --json ${WORK}/trained.json)
json_at_least(${WORK}/trained.json processed 6)

# Seeded from a given mask file, training gives the same bytes whatever the configuration's
# own default masks are.
run(0 "" train --images ${set} --truth ${set}/truth.txt --out-masks ${WORK}/seeded1.dsc
    --config ${CONFIG} --seed-masks ${WORK}/trained.dsc)
run(0 "" train --images ${set} --truth ${set}/truth.txt --out-masks ${WORK}/seeded2.dsc
    --config ${WORK}/trained/ovfc.ini --seed-masks ${WORK}/trained.dsc --threads 2)
file(SHA256 ${WORK}/seeded1.dsc seeded1)
file(SHA256 ${WORK}/seeded2.dsc seeded2)
if(NOT seeded1 STREQUAL seeded2)
  message(FATAL_ERROR "training seeded with the same masks differs by configuration masks")
endif()
run(1 "is not a default-mask file" train --images ${set} --truth ${set}/truth.txt
    --out-masks ${WORK}/x.dsc --config ${CONFIG} --seed-masks ${set}/00000101.TIF)

run(0 "[det]" train --images ${set} --truth ${set}/truth.txt --out-masks ${WORK}/det.dsc
    --config ${CONFIG} --det --threads 2)
foreach(key "add_parm_weight = " "fface1_on = " "eyel9_min = " "chin9_on = "
            "using_descriptors_mask = ")
  string(FIND "${output}" "${key}" at)
  if(at EQUAL -1)
    message(FATAL_ERROR "--det printed no '${key}':\n${output}")
  endif()
endforeach()

# Bad input: usage errors 2, missing or broken files 1 with the reason.
run(2 "usage: ovfc eval" eval --truth ${set}/truth.txt)
run(2 "usage: ovfc train" train --images ${set} --truth ${set}/truth.txt)
run(2 "--persons" eval --images ${set} --truth ${set}/truth.txt --persons 5-2)
run(1 "cannot open" eval --images ${set} --truth ${WORK}/none.txt)
file(WRITE ${WORK}/bad.txt "00000101.TIF 01 1 2 3 4\n00000102.TIF 01 1 2 x 4\n")
run(1 "bad.txt:2: 'x' is not a coordinate" eval --images ${set} --truth ${WORK}/bad.txt)
run(1 "bad.txt:2:" train --images ${set} --truth ${WORK}/bad.txt --out-masks ${WORK}/x.dsc)
file(WRITE ${WORK}/gone.txt "00009999.TIF 01 100 100 150 100\n")
run(1 "00009999.TIF: status 1" eval --images ${set} --truth ${WORK}/gone.txt)
file(WRITE ${set}/broken.TIF "not an image")
file(WRITE ${WORK}/broken.txt "broken.TIF 01 100 100 150 100\n")
run(1 "broken.TIF: status" eval --images ${set} --truth ${WORK}/broken.txt)
run(1 "broken.TIF: status" train --images ${set} --truth ${WORK}/broken.txt
    --out-masks ${WORK}/x.dsc)
run(1 "cannot load" eval --images ${set} --truth ${set}/truth.txt --config ${WORK}/none.ini)
run(1 "cannot write" train --images ${set} --truth ${set}/truth.txt
    --out-masks ${WORK}/no/such/dir/x.dsc --config ${CONFIG})
file(REMOVE_RECURSE ${WORK})
