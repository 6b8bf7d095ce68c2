cmake_minimum_required(VERSION 3.25)
# Runs one third-party test cartridge headless and reads its verdict.
#   ORVANE    the program
#   RUNNER    what runs it, when it is built for another machine (the cross build's emulator)
#   ROM       the cartridge
#   FRAMES    how long to run it
#   VERDICT   register: REGISTER (r12 or r7) must equal EXPECTED in the final idle loop
#             no_record: the word at 0x02000000 must be 0 in the final idle loop (FuzzARM writes
#               its failure record there and then waits for a key instead of reaching the end)
#             runs: it must run FRAMES frames without stopping (picture verdicts need the renderer)
#             stops_at: it must stop because no code can run at EXPECTED (hexadecimal, 8 digits)

separate_arguments(runner UNIX_COMMAND "${RUNNER}")

function(run_orvane output_var)
  execute_process(COMMAND ${runner} ${ORVANE} --headless --frames ${FRAMES} ${ARGN} ${ROM}
                  OUTPUT_VARIABLE output ERROR_VARIABLE errors RESULT_VARIABLE status)
  if(NOT status EQUAL 0)
    message(FATAL_ERROR "orvane exited with ${status}:\n${errors}${output}")
  endif()
  set(${output_var} "${output}" PARENT_SCOPE)
endfunction()

function(register_value output name var)
  if(NOT output MATCHES "${name}=([0-9a-f]+)")
    message(FATAL_ERROR "no ${name} in the register line:\n${output}")
  endif()
  math(EXPR value "0x${CMAKE_MATCH_1}")
  set(${var} ${value} PARENT_SCOPE)
endfunction()

# The program must sit in a branch to itself: anything else means it never finished.
function(require_idle_loop output)
  if(NOT output MATCHES "r15=([0-9a-f]+)")
    message(FATAL_ERROR "no r15 in the register line:\n${output}")
  endif()
  set(pc ${CMAKE_MATCH_1})
  register_value("${output}" cpsr cpsr)
  math(EXPR thumb "${cpsr} & 0x20")
  run_orvane(code --dump ${pc}:4)
  if(thumb)
    set(loop "fe e7")
  else()
    set(loop "fe ff ff ea")
  endif()
  if(NOT code MATCHES "^${pc}: ${loop}")
    message(FATAL_ERROR "not in a final idle loop at ${pc}:\n${output}${code}")
  endif()
endfunction()

if(VERDICT STREQUAL "stops_at")
  execute_process(COMMAND ${runner} ${ORVANE} --headless --frames ${FRAMES} ${ROM}
                  OUTPUT_VARIABLE output ERROR_VARIABLE errors RESULT_VARIABLE status)
  if(NOT status EQUAL 3 OR NOT errors MATCHES "no code can run at ${EXPECTED} ")
    message(FATAL_ERROR "expected a stop at ${EXPECTED}, got status ${status}:\n${errors}")
  endif()
  return()
endif()

run_orvane(output --regs --dump 2000000:4)
message("${output}")
if(VERDICT STREQUAL "runs")
  return()
endif()
require_idle_loop("${output}")
if(VERDICT STREQUAL "register")
  register_value("${output}" ${REGISTER} value)
  if(NOT value EQUAL EXPECTED)
    message(FATAL_ERROR "${REGISTER} = ${value}: test ${value} failed (expected ${EXPECTED})")
  endif()
elseif(VERDICT STREQUAL "no_record")
  if(NOT output MATCHES "02000000: 00 00 00 00")
    message(FATAL_ERROR "a failure record was written at 0x02000000")
  endif()
else()
  message(FATAL_ERROR "unknown verdict rule ${VERDICT}")
endif()
