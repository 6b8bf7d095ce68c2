cmake_minimum_required(VERSION 3.25)
# A save made by one run is read by the next. gba-tests' sram.gba runs in an empty save folder;
# its sram.sav must then hold what the cartridge stored. A mark goes where the cartridge never
# writes, and a second run must see the mark in save memory and write it back with the rest.
#   ORVANE    the program
#   ROM       sram.gba
#   SAVE_DIR  the folder, emptied first

set(SAVE ${SAVE_DIR}/sram.sav)
set(MARK_OFFSET 32760)  # the last 8 bytes of the 32 KB save
set(MARK "orvane!!")
set(MARK_HEX "6f7276616e652121")

function(run_once output_var)
  execute_process(COMMAND ${ORVANE} --headless --frames 300 --regs ${ARGN} --save-dir ${SAVE_DIR} ${ROM}
                  OUTPUT_VARIABLE output ERROR_VARIABLE errors RESULT_VARIABLE status)
  if(NOT status EQUAL 0 OR NOT output MATCHES "r12=00000000 ")
    message(FATAL_ERROR "sram.gba failed (status ${status}):\n${errors}${output}")
  endif()
  set(${output_var} "${output}" PARENT_SCOPE)
endfunction()

# The bytes sram.gba's stores leave, test by test, 32 bytes apart; everything else stays erased:
# byte 1 at 0x20-0x80, halfword 0xAABB stored at 0xA0 and at 0xA1, and at 0xC0 alone, word
# 0xAABBCCDD stored at 0xE0-0xE3 one by one, and at 0x100 alone. The bus takes one byte lane.
function(check_cartridge_data when)
  file(SIZE ${SAVE} size)
  if(NOT size EQUAL 32768)
    message(FATAL_ERROR "${when}: sram.sav has ${size} bytes, not 32768")
  endif()
  file(READ ${SAVE} hex LIMIT 272 HEX)
  string(REPEAT "ff" 272 expected)
  foreach(pair 32:01 64:01 96:01 128:01 160:bb 161:aa 192:bb 224:dd 225:cc 226:bb 227:aa 256:dd)
    string(REPLACE ":" ";" pair ${pair})
    list(GET pair 0 offset)
    list(GET pair 1 byte)
    math(EXPR at "${offset} * 2")
    math(EXPR after "${at} + 2")
    string(SUBSTRING "${expected}" 0 ${at} head)
    string(SUBSTRING "${expected}" ${after} -1 tail)
    set(expected "${head}${byte}${tail}")
  endforeach()
  if(NOT hex STREQUAL expected)
    message(FATAL_ERROR "${when}: sram.sav starts\n${hex}\ninstead of\n${expected}")
  endif()
endfunction()

file(REMOVE_RECURSE ${SAVE_DIR})
file(MAKE_DIRECTORY ${SAVE_DIR})
run_once(first)
check_cartridge_data("after the first run")

file(WRITE ${SAVE_DIR}/mark "${MARK}")
execute_process(COMMAND dd if=${SAVE_DIR}/mark of=${SAVE} bs=1 seek=${MARK_OFFSET} conv=notrunc
                RESULT_VARIABLE status ERROR_QUIET)
if(NOT status EQUAL 0)
  message(FATAL_ERROR "could not put the mark into ${SAVE}")
endif()

run_once(second --dump 0E007FF8:8)
if(NOT second MATCHES "0e007ff8: 6f 72 76 61 6e 65 21 21")
  message(FATAL_ERROR "the second run did not see the first run's save:\n${second}")
endif()
check_cartridge_data("after the second run")
file(READ ${SAVE} tail OFFSET ${MARK_OFFSET} HEX)
if(NOT tail STREQUAL MARK_HEX)
  message(FATAL_ERROR "the second run's save lost the mark: ${tail}")
endif()
