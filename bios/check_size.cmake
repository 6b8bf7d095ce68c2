# The linker already refuses an image that overflows 16 KB; this guards the padded result.
file(SIZE "${IMAGE}" size)
if(NOT size EQUAL 16384)
  message(FATAL_ERROR "${IMAGE} is ${size} bytes; the BIOS image must be exactly 16384 bytes")
endif()
