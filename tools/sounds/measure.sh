#!/bin/bash
# Prints the figures of each sound in assets/sounds/ (or of the files given):
# rate, channels, length, peak and RMS level, windowed RMS peak, and how much
# silence (below -50 dBFS) there is at each end.
set -euo pipefail
here="$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)"
root="$(cd "$here/../.." && pwd)"
[ $# -gt 0 ] || set -- "$root"/assets/sounds/*.ogg

work="$(mktemp -d)"
trap 'rm -rf "$work"' EXIT

printf '%-22s %6s %2s %8s %7s %7s %7s %6s %6s\n' \
    file rate ch length "peak" "RMS" "RMS pk" lead tail
for f in "$@"; do
    sox -V1 "$f" -b 16 "$work/all.wav"
    length="$(soxi -D "$work/all.wav")"
    stats="$(sox -V1 "$work/all.wav" -n stats 2>&1)"
    field() { awk -v key="$1" 'index($0, key) == 1 { print $(NF) }' <<<"$stats"; }
    sox -V1 "$work/all.wav" "$work/lead.wav" silence 1 0.001 -50d
    sox -V1 "$work/all.wav" "$work/tail.wav" reverse silence 1 0.001 -50d
    lead="$(awk -v a="$length" -v b="$(soxi -D "$work/lead.wav")" 'BEGIN { printf "%.3f", a - b }')"
    tail="$(awk -v a="$length" -v b="$(soxi -D "$work/tail.wav")" 'BEGIN { printf "%.3f", a - b }')"
    printf '%-22s %6s %2s %8.3f %7s %7s %7s %6s %6s\n' "$(basename "$f")" \
        "$(soxi -r "$f")" "$(soxi -c "$f")" "$length" \
        "$(field 'Pk lev dB')" "$(field 'RMS lev dB')" "$(field 'RMS Pk dB')" "$lead" "$tail"
done
