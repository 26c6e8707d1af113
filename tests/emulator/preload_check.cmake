# Runs preload_probe under LD_PRELOAD of the emulator, configured only through its environment.
# Inputs: PROBE, PRELOAD, TOUCH (kivo-emu-touch), TSLIB_CONF, WORK (scratch directory).
file(REMOVE_RECURSE ${WORK})
file(MAKE_DIRECTORY ${WORK})

function(expect what actual expected)
  if(NOT actual STREQUAL expected)
    message(SEND_ERROR "${what}:\n--- got\n${actual}\n--- expected\n${expected}")
  endif()
endfunction()

function(probe out)
  execute_process(
    COMMAND ${CMAKE_COMMAND} -E env LD_PRELOAD=${PRELOAD} TSLIB_CONFFILE=${TSLIB_CONF} ${ARGN}
    OUTPUT_VARIABLE stdout ERROR_VARIABLE stderr RESULT_VARIABLE status TIMEOUT 30)
  if(NOT status EQUAL 0)
    message(SEND_ERROR "${ARGN} exited with ${status}: ${stderr}")
  endif()
  set(${out} "${stdout}" PARENT_SCOPE)
endfunction()

# The shared file holds what the program drew, the mode file the mode it set: 16x3 with rows of 68
# bytes from the environment, then 8x2 with the same 4 bytes of row padding.
set(fb ${WORK}/fb)
probe(out KIVO_EMU_FB_MODE=16x3 KIVO_EMU_FB_STRIDE=68 KIVO_EMU_FB_FILE=${fb} ${PROBE} fb 8 2)
expect("shared file run" "${out}" "mode 16 3 68\nput 0\nmode 8 2 36\nvsync 0\n")
file(READ ${fb}.mode mode)
expect("mode file" "${mode}" "8 2 36\n")
file(SIZE ${fb} size)
expect("framebuffer file size" "${size}" "72")
file(READ ${fb} bytes HEX)
set(expected "")
foreach(i RANGE 71)
  math(EXPR byte "(7 * ${i} + 3) % 256" OUTPUT_FORMAT HEXADECIMAL)
  string(SUBSTRING "${byte}" 2 -1 digits)
  string(LENGTH "${digits}" length)
  if(length EQUAL 1)
    set(digits "0${digits}")
  endif()
  string(APPEND expected "${digits}")
endforeach()
expect("framebuffer file bytes" "${bytes}" "${expected}")

# Faults chosen by the environment answer with a real driver's errno.
probe(out KIVO_EMU_FB_FAULT=missing ${PROBE} fb 8 2)
expect("missing device" "${out}" "open -1 ENOENT\n")
probe(out KIVO_EMU_FB_FAULT=refuse-put ${PROBE} fb 8 2)
expect("refused mode" "${out}" "mode 800 480 3200\nput -1 EINVAL\nvsync 0\n")
probe(out KIVO_EMU_FB_FAULT=no-vsync ${PROBE} fb 8 2)
expect("no vertical blank" "${out}" "mode 800 480 3200\nput 0\nmode 8 2 32\nvsync -1 ENOTTY\n")

probe(out KIVO_EMU_CLOCK=manual ${PROBE} clock)
expect("manual clock" "${out}" "clock still\n")
probe(out ${PROBE} clock)
expect("real clock" "${out}" "clock runs\n")

# Touch samples written into the FIFO by another program reach tslib unchanged. The writer's open
# waits for the probe to open the panel, so the two run side by side.
set(fifo ${WORK}/touch)
execute_process(
  COMMAND ${TOUCH} ${fifo} 10 20 200 0 0 90 30 40 0
  COMMAND ${CMAKE_COMMAND} -E env LD_PRELOAD=${PRELOAD} TSLIB_CONFFILE=${TSLIB_CONF}
          KIVO_EMU_TOUCH_FIFO=${fifo} ${PROBE} touch 3
  OUTPUT_VARIABLE out ERROR_VARIABLE err RESULTS_VARIABLE status TIMEOUT 30)
expect("touch run status" "${status}" "0;0")
expect("touch samples" "${out}" "sample 10 20 200\nsample 0 0 90\nsample 30 40 0\n")
if(err)
  message("${err}")
endif()
