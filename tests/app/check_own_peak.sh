#!/bin/bash
# The peak memory --stats reports is the program's own: a parent that grew to 256 MB and then
# became orvane through exec must not lend it its peak (Linux carries ru_maxrss across exec).
# usage: check_own_peak.sh ORVANE ROM
set -u
orvane=$1
rom=$2
parent_mb=256
out=$(bash -c 'big=$(head -c '$((parent_mb << 20))' /dev/zero | tr "\0" x)
               exec "$0" --headless --frames 1 --stats "$1"' "$orvane" "$rom") || {
  echo "FAILED: orvane did not run"; exit 1; }
peak=$(printf '%s\n' "$out" | sed -n 's/^peak resident memory: \([0-9]*\)\..* MB$/\1/p')
if [ -z "$peak" ]; then
  echo "FAILED: no peak memory line in:"; printf '%s\n' "$out"; exit 1
fi
if [ "$peak" -ge "$parent_mb" ]; then
  echo "FAILED: reported peak ${peak} MB is the parent's, not the program's own"; exit 1
fi
echo "peak ${peak} MB, below the parent's ${parent_mb} MB"
