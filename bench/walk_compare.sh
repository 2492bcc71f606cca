#!/usr/bin/env bash
# Times the folder walks against du and find on a warm tree and checks the totals agree.
#
#   bench/walk_compare.sh [TREE]
#
# TREE (default /tmp/nimbrel-walk-tree) is generated when absent: 200,000 small files of
# varied sizes in 2,000 folders nested three levels deep. WALK_BENCH names the walk_bench
# program (default: the newest build*/bench/walk_bench of the source tree); RUNS sets the
# number of timed runs; NO_HYPERFINE=1 times with plain loops even when hyperfine is
# installed. Build walk_bench in a Release tree for meaningful times.
set -euo pipefail

here=$(cd "$(dirname "$0")" && pwd)
tree=${1:-${WALK_TREE:-/tmp/nimbrel-walk-tree}}
runs=${RUNS:-10}

bench=${WALK_BENCH:-}
if [[ -z $bench ]]; then
    bench=$(ls -t "$here"/../build*/bench/walk_bench 2>/dev/null | head -n 1 || true)
fi
if [[ -z $bench || ! -x $bench ]]; then
    echo "walk_bench not found; build it (target walk_bench) or set WALK_BENCH" >&2
    exit 1
fi

if [[ ! -d $tree ]]; then
    echo "generating $tree ..."
    rm -rf "$tree.partial"
    # 16 x 4 x 30 folders = 16 + 64 + 1920 = 2,000 folders, 100 files in each; every tenth
    # name is hidden. Built under another name and renamed, so a half-made tree is never used.
    perl -e '
        use strict; use warnings;
        srand(20240601);
        my $root = shift;
        my $data = "n" x 8192;
        sub files {
            my $dir = shift;
            for my $i (0 .. 99) {
                my $name = $i % 10 == 0 ? ".f$i" : "f$i.dat";
                open(my $fh, ">", "$dir/$name") or die "$dir/$name: $!";
                print $fh substr($data, 0, int(rand(6000)));
                close($fh);
            }
        }
        mkdir $root or die "$root: $!";
        for my $a (0 .. 15) {
            my $da = "$root/d$a"; mkdir $da or die; files($da);
            for my $b (0 .. 3) {
                my $db = "$da/s$b"; mkdir $db or die; files($db);
                for my $c (0 .. 29) {
                    my $dc = "$db/t$c"; mkdir $dc or die; files($dc);
                }
            }
        }' "$tree.partial"
    mv "$tree.partial" "$tree"
fi

# Warm the caches.
find "$tree" > /dev/null
"$bench" size "$tree" > /dev/null

# Totals. du's apparent size includes the folders' own sizes; the walk gives a folder 0.
walk_bytes=$("$bench" size "$tree" | sed -n 's/^bytes=//p')
walk_files=$("$bench" count "$tree" | sed -n 's/^files=//p')
find_bytes=$(find "$tree" ! -type d -printf '%s\n' | awk '{ s += $1 } END { printf "%d\n", s }')
dir_bytes=$(find "$tree" -type d -printf '%s\n' | awk '{ s += $1 } END { printf "%d\n", s }')
du_bytes=$(du -s --apparent-size -B1 "$tree" | cut -f1)
find_files=$(find "$tree" -type f | wc -l)
nondir_files=$(find "$tree" ! -type d | wc -l)

status=0
check() { # label, ours, theirs
    if [[ $2 == "$3" ]]; then
        printf '%-34s %s (agrees)\n' "$1" "$2"
    else
        printf '%-34s %s, expected %s: MISMATCH\n' "$1" "$2" "$3"
        status=1
    fi
}
check "bytes (walk vs find sizes)" "$walk_bytes" "$find_bytes"
check "bytes (walk vs du minus folders)" "$walk_bytes" "$((du_bytes - dir_bytes))"
check "files (walk vs find -type f)" "$walk_files" "$find_files"
check "files (walk vs find ! -type d)" "$walk_files" "$nondir_files"

# Mean seconds of each command, in order.
declare -a means
if [[ ${NO_HYPERFINE:-0} != 1 ]] && command -v hyperfine > /dev/null; then
    csv=$(mktemp)
    hyperfine --style basic --warmup 3 --runs "$runs" --export-csv "$csv" \
        "'$bench' size '$tree'" \
        "du -s --apparent-size -B1 '$tree'" \
        "'$bench' count '$tree'" \
        "find '$tree' -type f | wc -l" >&2
    mapfile -t means < <(awk -F, 'NR > 1 { print $2 }' "$csv")
    rm -f "$csv"
else
    mean_of() {
        local start end total=0 i
        for ((i = 0; i < runs; i++)); do
            start=$(date +%s%N)
            bash -c "$1" > /dev/null
            end=$(date +%s%N)
            total=$((total + end - start))
        done
        awk -v t="$total" -v n="$runs" 'BEGIN { printf "%.6f\n", t / n / 1e9 }'
    }
    means=("$(mean_of "'$bench' size '$tree'")" "$(mean_of "du -s --apparent-size -B1 '$tree'")"
           "$(mean_of "'$bench' count '$tree'")" "$(mean_of "find '$tree' -type f | wc -l")")
fi

awk -v ws="${means[0]}" -v du="${means[1]}" -v wc="${means[2]}" -v fi="${means[3]}" 'BEGIN {
    rs = ws / du; rc = wc / fi
    printf "size : walk %.1f ms, du %.1f ms, ratio %.2f (goal <= 0.75) %s\n",
           ws * 1000, du * 1000, rs, rs <= 0.75 ? "ok" : "MISSED"
    printf "count: walk %.1f ms, find %.1f ms, ratio %.2f (goal <= 1.00) %s\n",
           wc * 1000, fi * 1000, rc, rc <= 1.0 ? "ok" : "MISSED"
}'
exit $status
