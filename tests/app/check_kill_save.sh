#!/bin/bash
# A game killed with SIGKILL a few seconds after it last wrote to its save memory leaves its
# complete .sav: the running program wrote it on its own, without an exit to do it.
# usage: check_kill_save.sh ORVANE SAVES_ROM WORK
set -u
orvane=$1 rom=$2 work=$3
fail() { echo "FAILED: $*"; cat "$work/output.txt" 2>/dev/null; exit 1; }

rm -rf "$work" && mkdir -p "$work" || fail "cannot make $work"
echo "wait 100000000" >"$work/wait.txt"
"$orvane" --headless --ui-script "$work/wait.txt" --config "$work/orvane.ini" \
  --save-dir "$work" --lang en "$rom" >"$work/output.txt" 2>&1 &
pid=$!
save=$work/saves.sav

# The cartridge writes its save in its tenth frame, at once; then the program, running the game in
# real time, should write the file about two seconds later. A busy machine gets 30 s.
for _ in $(seq 60); do
  [ -e "$save" ] && break
  kill -0 "$pid" 2>/dev/null || fail "the program ended by itself"
  sleep 0.5
done
sleep 3
kill -9 "$pid"
wait "$pid"
status=$?
[ "$status" -eq 137 ] || fail "the program was not running when killed (status $status)"

[ -f "$save" ] || fail "no $save after the kill"
size=$(stat -c %s "$save")
[ "$size" -eq 32768 ] || fail "$save has $size bytes, not the 32768 of the game's SRAM"
expected=$(for n in $(seq 0 255); do printf '%d ' $((n ^ 0xA5)); done)
found=$(od -An -v -tu1 -N256 "$save" | tr -s ' \n' '  ' | sed 's/^ //')
[ "$found" = "$expected" ] || fail "the save's first 256 bytes are not the game's: $found"
leftovers=$(find "$work" -name 'saves.sav?*' | wc -l)
[ "$leftovers" -eq 0 ] || fail "a temporary save file was left beside $save"
echo "complete save after SIGKILL: $save, $size bytes"
