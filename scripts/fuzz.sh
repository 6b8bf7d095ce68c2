#!/usr/bin/env bash
# The long fuzz run: every target with a fresh seed (or SEED=N) and SCALE times the test suite's
# counts, so SCALE=10 (the default) takes some minutes. Failing inputs are kept in
# BUILD/tests/fuzz/failures with the line that runs each again; the summary gives the figures.
set -uo pipefail
build=${1:-build}
seed=${SEED:-$(date +%s)}
scale=${SCALE:-10}
bin=$build/tests/fuzz
orvane=$build/app/orvane
roms=$build/tests/roms
shared=$(cd "$(dirname "$0")/../.." && pwd)/shared/roms
keep=(--keep "$bin/failures")

cartridges=("$roms/demo.gba" "$roms/keys.gba" "$roms/sprites.gba" "$roms/sound_tones.gba")
for extra in gba-tests/thumb/thumb.gba gba-tests/arm/arm.gba fuzzarm/FuzzARM.gba; do
  [ -f "$shared/$extra" ] && cartridges+=("$shared/$extra")
done
saving=()
[ -f "$shared/gba-tests/save/sram.gba" ] && saving=("$shared/gba-tests/save/sram.gba")

echo "fuzz: seed $seed, scale $scale"
failed=0
run() { "$@" || failed=1; }
# The slowest cartridge's frame rate is reported; MIN_FPS=20 makes a slower one a failure (on a
# quiet machine: other programs' load slows every input alike).
run "$bin/fuzz_cartridge" "$seed" $((200 * scale)) "${keep[@]}" "$orvane" "${cartridges[@]}" \
  --min-fps "${MIN_FPS:-0}"
run "$bin/fuzz_snapshot" "$seed" $((200 * scale)) "${keep[@]}" "$roms/demo.gba"
run "$bin/fuzz_save" "$seed" $((100 * scale)) "${keep[@]}" "$orvane" "$roms/demo.gba"
run "$bin/fuzz_config" "$seed" $((2000 * scale)) "${keep[@]}"
run "$bin/fuzz_text" "$seed" $((5000 * scale)) "${keep[@]}"
run "$bin/fuzz_scripts" "$seed" $((200 * scale)) "${keep[@]}" keys "$orvane" "$roms/demo.gba"
run "$bin/fuzz_scripts" "$seed" $((2000 * scale)) "${keep[@]}" ui
run "$bin/kill_saves" "$seed" $((10 * scale)) "$orvane" "$roms/demo.gba" "${saving[@]}"
exit $failed
