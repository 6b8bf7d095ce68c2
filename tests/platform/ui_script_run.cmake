# orvane --headless --ui-script: opens the popup with F1, chooses its first entry, photographs the
# 480 x 640 screen; the run must end by itself after the last line with status 0 and a PNG.
file(REMOVE_RECURSE ${WORK})
file(MAKE_DIRECTORY ${WORK})
file(WRITE ${WORK}/script.txt "# popup, choose, photograph\nwait 3\nkey 0x70\nkey 13\nshot ${WORK}/shot.png\n")
execute_process(COMMAND ${ORVANE} --headless --device 480x640 --ui-script ${WORK}/script.txt
                RESULT_VARIABLE status OUTPUT_VARIABLE out ERROR_VARIABLE err TIMEOUT 60)
if(NOT status EQUAL 0)
  message(FATAL_ERROR "status ${status}: ${out}${err}")
endif()
if(NOT EXISTS ${WORK}/shot.png)
  message(FATAL_ERROR "no picture was written")
endif()
# The PNG header's size fields: width 480, height 640.
file(READ ${WORK}/shot.png header LIMIT 24 HEX)
string(SUBSTRING "${header}" 32 16 size)
if(NOT size STREQUAL "000001e000000280")
  message(FATAL_ERROR "picture size fields ${size}, expected 480 x 640")
endif()
