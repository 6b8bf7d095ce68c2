cmake_minimum_required(VERSION 3.25)
# One scripted round of the demo game (playthrough.keys), then a second run that only reads the
# high-score table back. Expectations follow from the game's rules (demo/game.c) and the moves:
#   frame 40   Start on the title screen: fade out, the round, fade in (from about frame 75)
#   frame 140  A: the ship is at column 4            -> bottom drone, 10
#   frame 180  A: column 4 again                     -> middle drone, 20
#   frame 220  Left for 12 frames: 24 pixels         -> column 3
#   frame 240  A                                     -> bottom drone, 10
#   frame 280  Start: paused through the keypad interrupt
#   frame 290  Right for 24 frames while paused: the ship must not move
#   frame 320  Start: the round goes on
#   frame 330  A: still column 3 (column 5 if the pause let the ship move) -> middle, 20
#   frame 370  Right for 36 frames: 72 pixels        -> column 6
#   frame 410  A                                     -> bottom drone, 10
#   frame 450  Right for 60 frames: stopped at x 224, centre 232 beyond the grid
#   frame 520  A: flies off                          -> 0
# Score 70 (0x46), 24 - 5 = 19 (0x13) drones left. The round's 1200 frames of play plus the 40
# paused end it near frame 1320; by frame 1450 the results screen (scene 2) is showing.
# Record at 0x02000000: score, scene, drones left, then the five best scores, words.
file(REMOVE_RECURSE ${WORK})
file(MAKE_DIRECTORY ${WORK})

function(run_game frames keys out)
  set(key_options)
  if(keys)
    set(key_options --keys ${keys})
  endif()
  execute_process(COMMAND ${ORVANE} --headless --frames ${frames} ${key_options}
                          --save-dir ${WORK} --dump 2000000:32 ${ROM}
                  OUTPUT_VARIABLE output ERROR_VARIABLE errors RESULT_VARIABLE status)
  if(NOT status EQUAL 0)
    message(FATAL_ERROR "orvane exited with ${status}:\n${output}${errors}")
  endif()
  set(${out} "${output}" PARENT_SCOPE)
endfunction()

run_game(1450 ${KEYS} played)
set(expected "02000000: 46 00 00 00 02 00 00 00 13 00 00 00 46 00 00 00\n"
             "02000010: 00 00 00 00 00 00 00 00 00 00 00 00 00 00 00 00")
string(JOIN "" expected ${expected})
if(NOT played MATCHES "${expected}")
  message(FATAL_ERROR "the round did not end as the rules say:\n${played}\nexpected\n${expected}")
endif()

# The table in SRAM: "SWP1", then the scores as 16-bit little-endian numbers: 70 and four zeros.
get_filename_component(stem ${ROM} NAME_WE)
set(save ${WORK}/${stem}.sav)
if(NOT EXISTS ${save})
  message(FATAL_ERROR "no save file ${save} after the round")
endif()
file(READ ${save} table LIMIT 14 HEX)
if(NOT table STREQUAL "5357503146000000000000000000")
  message(FATAL_ERROR "the save file holds ${table}, not the table with 70 first")
endif()

# A new run reads the table back before anything is played.
run_game(30 "" reread)
if(NOT reread MATCHES "02000000: 00 00 00 00 00 00 00 00 00 00 00 00 46 00 00 00")
  message(FATAL_ERROR "the second run did not read the best score back:\n${reread}")
endif()
