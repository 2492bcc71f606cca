#!/usr/bin/env bash
# Times `qznb -s` against `shred -n 1 -u` on identical 1 GiB files (same run, same disk, warm
# cache for the source), and `qznb -m` against `qznb -s`.
#   usage: shred_bench.sh [QZNB] [FOLDER] [ROUNDS]
# QZNB defaults to build/Nimbrel.app/Contents/MacOS/qznb; FOLDER to a fresh temporary folder
# inside the build folder (same disk as the build). Goals: -s <= 0.9 x shred, -m <= 7.5 x -s.
set -euo pipefail

here="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
qznb="$here/build/Nimbrel.app/Contents/MacOS/qznb"
folder=""
if [[ $# -ge 1 && -d "$1" ]]; then
  folder="$1"; shift
elif [[ $# -ge 1 ]]; then
  qznb="$1"; shift
fi
if [[ $# -ge 1 && -z "$folder" ]]; then folder="$1"; shift; fi
rounds="${1:-3}"

[[ -x "$qznb" ]] || { echo "qznb not found at $qznb (build it, or pass its path)" >&2; exit 2; }
command -v shred >/dev/null || { echo "shred not found" >&2; exit 2; }

# A private folder inside the given one (or inside the build folder that holds the bundle).
parent="${folder:-$(dirname "$(dirname "$(dirname "$(dirname "$qznb")")")")}"
folder="$(mktemp -d "$parent/shred_bench.XXXXXX")"
trap 'rm -rf "$folder"' EXIT

size_mib=1024
echo "qznb:   $qznb"
echo "folder: $folder ($(df -hT "$folder" | awk 'NR==2 {print $2, $1}'))"
echo "making a ${size_mib} MiB source file..."
dd if=/dev/urandom of="$folder/source" bs=1M count="$size_mib" iflag=fullblock status=none
sync

now() { date +%s.%N; }

# Runs one command on a fresh copy and prints its wall time in seconds.
timed() {
  local copy="$folder/copy"
  cp "$folder/source" "$copy"
  sync
  local start end
  start=$(now)
  "$@" "$copy"
  end=$(now)
  [[ ! -e "$copy" ]] || { echo "copy still exists after: $*" >&2; exit 1; }
  awk -v a="$start" -v b="$end" 'BEGIN { printf "%.3f", b - a }'
}

best_shred=""; best_s=""; best_m=""
min() { awk -v a="$1" -v b="$2" 'BEGIN { print (a == "" || b < a) ? b : a }'; }
calc() { awk "BEGIN { print $1 }"; }

for ((round = 1; round <= rounds; round++)); do
  # Alternate the order so neither side always runs right after the other's writeback.
  if (( round % 2 )); then
    t_s=$(timed "$qznb" -s --); t_shred=$(timed shred -n 1 -u --)
  else
    t_shred=$(timed shred -n 1 -u --); t_s=$(timed "$qznb" -s --)
  fi
  t_m=$(timed "$qznb" -m --)
  printf 'round %d: shred -n 1 -u %6.3f s   qznb -s %6.3f s   qznb -m %6.3f s\n' "$round" "$t_shred" "$t_s" "$t_m"
  best_shred=$(min "$best_shred" "$t_shred"); best_s=$(min "$best_s" "$t_s"); best_m=$(min "$best_m" "$t_m")
done

ratio_s=$(calc "$best_s / $best_shred")
ratio_m=$(calc "$best_m / $best_s")
printf '\nbest of %d: shred %.3f s, qznb -s %.3f s, qznb -m %.3f s\n' "$rounds" "$best_shred" "$best_s" "$best_m"
printf 'qznb -s / shred = %.3f (goal <= 0.9)  %s\n' "$ratio_s" "$(calc "($ratio_s <= 0.9) ? \"met\" : \"MISSED\"")"
printf 'qznb -m / qznb -s = %.3f (goal <= 7.5)  %s\n' "$ratio_m" "$(calc "($ratio_m <= 7.5) ? \"met\" : \"MISSED\"")"
