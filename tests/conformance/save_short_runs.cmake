cmake_minimum_required(VERSION 3.25)
# A save is never cut short by a short run. The type and size read from an existing .sav hold
# until the game's own accesses show another type, so a run too short for the game to touch its
# save memory writes back what it read, second flash bank included.
#   ORVANE     the program
#   ROM_DIR    the folder with gba-tests' flash64.gba and flash128.gba
#   SAVE_DIR   a folder of this test's own, emptied first

function(run rom frames)
  execute_process(COMMAND ${ORVANE} --headless --frames ${frames} --save-dir ${SAVE_DIR}
                          ${ROM_DIR}/${rom}.gba
                  OUTPUT_QUIET ERROR_VARIABLE errors RESULT_VARIABLE status)
  if(NOT status EQUAL 0)
    message(FATAL_ERROR "${rom}, ${frames} frames: status ${status}\n${errors}")
  endif()
endfunction()

function(expect_size rom bytes when)
  file(SIZE ${SAVE_DIR}/${rom}.sav size)
  if(NOT size EQUAL bytes)
    message(FATAL_ERROR "${rom}.sav ${when}: ${size} bytes, not ${bytes}")
  endif()
endfunction()

# Eight bytes at the end of the file, where the cartridges never write.
function(put_mark rom offset)
  file(WRITE ${SAVE_DIR}/mark "orvane!!")
  execute_process(COMMAND dd if=${SAVE_DIR}/mark of=${SAVE_DIR}/${rom}.sav bs=1 seek=${offset}
                          conv=notrunc RESULT_VARIABLE status ERROR_QUIET)
  if(NOT status EQUAL 0)
    message(FATAL_ERROR "could not mark ${rom}.sav")
  endif()
endfunction()

function(expect_mark rom offset when)
  file(READ ${SAVE_DIR}/${rom}.sav tail OFFSET ${offset} LIMIT 8 HEX)
  if(NOT tail STREQUAL "6f7276616e652121")
    message(FATAL_ERROR "${rom}.sav ${when}: the mark in the last bank is gone (${tail})")
  endif()
endfunction()

file(REMOVE_RECURSE ${SAVE_DIR})
file(MAKE_DIRECTORY ${SAVE_DIR})

# 128 KB flash: a full run, a mark in bank 1, then a run of 5 frames.
run(flash128 60)
expect_size(flash128 131072 "after 60 frames")
put_mark(flash128 131064)
run(flash128 5)
expect_size(flash128 131072 "after a further 5 frames")
expect_mark(flash128 131064 "after a further 5 frames")

# 64 KB flash: 60, then 1 and 5 frames keep the size. (Its test 1 expects a chip erased at start,
# which a run cut short in the middle of its writes does not leave, so its verdict is not asked.)
run(flash64 60)
put_mark(flash64 65528)
run(flash64 1)
run(flash64 5)
expect_size(flash64 65536 "after runs of 1 and 5 frames")
expect_mark(flash64 65528 "after runs of 1 and 5 frames")

# A 128 KB file that a 64 KB cartridge did not write keeps its size and its second bank.
file(COPY_FILE ${SAVE_DIR}/flash128.sav ${SAVE_DIR}/flash64.sav)
run(flash64 5)
expect_size(flash64 131072 "from a 128 KB file after 5 frames")
expect_mark(flash64 131064 "from a 128 KB file after 5 frames")
