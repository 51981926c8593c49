#!/bin/bash
# Runs the loaders' fuzzers (a clang build with KVARLOP_FUZZ=ON) for a while
# each, two or three at a time at low priority, with seed corpora made from
# assets/: the pictures, JPEG copies of some of them (ImageMagick), the
# sounds, and a workbook the program writes.
#
#   CC=clang CXX=clang++ cmake -S . -B build/fuzz -G Ninja -DKVARLOP_FUZZ=ON
#   cmake --build build/fuzz --target fuzz_png fuzz_jpeg fuzz_vorbis fuzz_theora fuzz_workbook
#   bash tests/fuzz/run.sh [build dir] [seconds each] [kinds...]
#
# New inputs gather in <build>/fuzz-corpus/<kind>, crashes in
# <build>/fuzz-crashes/<kind>, each fuzzer's output in <build>/fuzz-<kind>.log.
# FUZZ_PARALLEL sets how many run at once (3), FUZZ_ARGS adds libFuzzer
# options (say -max_len=32768, so that long sounds are cut and run faster).
# A crash, once fixed, is kept in tests/fuzz/regressions/<kind>/, whose
# inputs the ordinary tests feed through the loaders again.
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
root=$(cd "$here/../.." && pwd)
build=$(realpath "${1:-$root/build/fuzz}")
seconds=${2:-600}
shift $(( $# > 2 ? 2 : $# ))
kinds=("$@")
[ ${#kinds[@]} -gt 0 ] || kinds=(png jpeg vorbis theora workbook)
parallel=${FUZZ_PARALLEL:-3}

seeds="$build/fuzz-seeds"
mkdir -p "$seeds"/{png,jpeg,vorbis,theora,workbook}
cp "$root"/assets/images/*.png "$seeds/png/"
cp "$root"/assets/sounds/*.ogg "$seeds/vorbis/"
cp "$root"/assets/video/*.ogv "$seeds/theora/"
if command -v convert >/dev/null; then
    for picture in ExitButton CheckBoxChecked RetryButton 102; do
        in="$root/assets/images/$picture.png"
        convert "$in" -quality 85 "$seeds/jpeg/$picture.jpg"
        convert "$in" -colorspace CMYK -quality 90 "$seeds/jpeg/$picture-cmyk.jpg"
        convert "$in" -colorspace Gray "$seeds/jpeg/$picture-grey.jpg"
        convert "$in" -interlace Plane -sampling-factor 2x2 "$seeds/jpeg/$picture-progressive.jpg"
        # PNG of the kinds the assets do not have: palette, grey, 16 bits, interlaced.
        convert "$in" PNG8:"$seeds/png/$picture-palette.png"
        convert "$in" -colorspace Gray "$seeds/png/$picture-grey.png"
        convert "$in" -depth 16 PNG64:"$seeds/png/$picture-deep.png"
        convert "$in" -interlace PNG "$seeds/png/$picture-interlaced.png"
    done
fi
KVARLOP_FUZZ_SEEDS="$seeds/workbook" "$build/tests/fuzz/fuzz_workbook" -runs=0 "$seeds/workbook" \
    >/dev/null 2>&1 || true

export ASAN_OPTIONS=detect_leaks=1:allocator_may_return_null=1
export LSAN_OPTIONS=suppressions=$here/lsan.supp:print_suppressions=0
export UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1
export SDL_VIDEODRIVER=offscreen SDL_AUDIODRIVER=dummy

running=0
for kind in "${kinds[@]}"; do
    mkdir -p "$build/fuzz-corpus/$kind" "$build/fuzz-crashes/$kind"
    kept=()
    [ -d "$here/regressions/$kind" ] && kept=("$here/regressions/$kind")
    nice -n 10 "$build/tests/fuzz/fuzz_$kind" -max_total_time="$seconds" -timeout=120 \
        -rss_limit_mb=4096 -print_final_stats=1 ${FUZZ_ARGS:-} -artifact_prefix="$build/fuzz-crashes/$kind/" \
        "$build/fuzz-corpus/$kind" "$seeds/$kind" "${kept[@]}" \
        >"$build/fuzz-$kind.log" 2>&1 &
    running=$((running + 1))
    if [ "$running" -ge "$parallel" ]; then
        wait -n || true
        running=$((running - 1))
    fi
done
wait || true
for kind in "${kinds[@]}"; do
    echo "== $kind: $(grep -E '^(stat::number_of_executed_units|Done)' "$build/fuzz-$kind.log" | tr '\n' ' ')"
    ls "$build/fuzz-crashes/$kind"
done
