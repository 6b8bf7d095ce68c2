cmake_minimum_required(VERSION 3.25)
# --keys: one good script, whose counts follow from its own frames, and bad scripts refused with
# their line number before the run (status 2). Frame N of a script starts after N frames have run,
# and the cartridge reads KEYINPUT once in every frame, after its V-blank.
file(MAKE_DIRECTORY ${WORK})

# A in frames 10-19 and 30-34: 15; Start in frames 30-59: 30; 60 frames seen.
set(good "# A alone, then nothing, then A and Start, then Start alone\n10 A\n20\n30 a start  # any case\n\n35 START\n")
# name | script | expected message
set(bad_cases
    "unknown_button|5 A\n7 JUMP\n|line 2: \"JUMP\" is not a button"
    "falling_frames|5 A\n9 B\n8 A\n|line 3: frame 8 does not come after frame 9"
    "same_frame|5 A\n5 B\n|line 2: frame 5 does not come after frame 5"
    "no_frame|A B\n|line 1: \"A\" is not a frame number"
    "negative_frame|-3 A\n|line 1: \"-3\" is not a frame number")

file(WRITE ${WORK}/good.keys "${good}")
execute_process(COMMAND ${ORVANE} --headless --frames 60 --keys ${WORK}/good.keys
                        --dump 2000000:12 ${ROM}
                OUTPUT_VARIABLE output ERROR_VARIABLE errors RESULT_VARIABLE status)
# Little-endian words: 15 = 0x0f, 30 = 0x1e, 60 = 0x3c.
if(NOT status EQUAL 0 OR NOT output MATCHES "02000000: 0f 00 00 00 1e 00 00 00 3c 00 00 00")
  message(FATAL_ERROR "good script: status ${status}\n${output}${errors}")
endif()

foreach(entry IN LISTS bad_cases)
  string(REPLACE "|" ";" fields "${entry}")
  list(GET fields 0 name)
  list(GET fields 1 script)
  list(GET fields 2 expected)
  string(REPLACE "\\n" "\n" script "${script}")
  file(WRITE ${WORK}/${name}.keys "${script}")
  execute_process(COMMAND ${ORVANE} --headless --frames 60 --keys ${WORK}/${name}.keys ${ROM}
                  OUTPUT_VARIABLE output ERROR_VARIABLE errors RESULT_VARIABLE status)
  if(NOT status EQUAL 2 OR NOT errors MATCHES "--keys .*${name}.keys: ${expected}")
    message(FATAL_ERROR "${name}: expected status 2 and \"${expected}\", got ${status}:\n${errors}")
  endif()
endforeach()
