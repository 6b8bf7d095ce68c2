#!/usr/bin/env bash
# Turns the demo cartridge's result words (the --dump line of 0x02000000) into sentences and
# passes every other line of orvane's output through.
set -euo pipefail

word() {  # little-endian word from four hex bytes
  echo $((16#$4$3$2$1))
}

while IFS= read -r line; do
  if [[ $line == 02000000:* ]]; then
    read -r -a b <<<"${line#02000000:}"
    echo "V-blank interrupts handled:        $(word "${b[@]:0:4}")"
    echo "timer 1 interrupts (one a frame):  $(word "${b[@]:4:4}")"
    echo "VBlankIntrWait calls returned:     $(word "${b[@]:8:4}") of 100"
    if [[ $(word "${b[@]:12:4}") == $((16#600D)) ]]; then
      echo "the cartridge finished its waits and idles"
    else
      echo "the cartridge has not finished its waits yet"
    fi
  else
    echo "$line"
  fi
done
