#!/bin/bash
# Makes every sound of the program, from scratch, into assets/sounds/ (or the
# folder given as the first argument): the spoken instruction and its closing
# line, the five words of praise, the closing chime and the mouse click.
#
# Speech: Festival with its Russian voice (voice.scm); the chime and the click:
# synth.py; editing, timing and levels: sox; encoding: oggenc (Ogg Vorbis).
# The same run always writes the same files: no step uses unseeded randomness
# (sox -R fixes its dither), and each stream has a fixed serial number.
set -euo pipefail

here="$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)"
root="$(cd "$here/../.." && pwd)"
out="${1:-$root/assets/sounds}"
mkdir -p "$out"

for tool in text2wave sox soxi oggenc /usr/bin/python3; do
    command -v "$tool" >/dev/null || { echo "missing tool: $tool (see tools/README.md)" >&2; exit 1; }
done

work="$(mktemp -d)"
trap 'rm -rf "$work"' EXIT

sox_() { sox -R -V1 "$@"; }
duration() { soxi -D "$1"; }
# Floating-point comparisons and arithmetic through awk.
calc() { awk "BEGIN { printf \"%.6f\", $1 }"; }
is_true() { awk "BEGIN { exit !($1) }"; }

# speak TEXT RATE OUT.wav
# Speaks TEXT, cuts the silence off both ends (easing in and out, so no cut
# clicks) and resamples it to RATE, stereo.
speak() {
    printf '%s\n' "$1" >"$work/text.txt"
    text2wave -eval "$here/voice.scm" "$work/text.txt" -o "$work/voice.wav" 2>"$work/festival.log" \
        || { cat "$work/festival.log" >&2; exit 1; }
    sox_ "$work/voice.wav" -b 32 "$work/trimmed.wav" highpass 60 \
        silence 1 0.005 -60d reverse silence 1 0.005 -60d reverse
    sox_ "$work/trimmed.wav" "$3" fade t 0.005 0 0.015 rate -v "$2" channels 2
}

# fit IN.wav SECONDS OUT.wav
# Copies IN, sped up without changing its pitch when it is longer than SECONDS.
fit() {
    local length
    length="$(duration "$1")"
    if is_true "$length > $2"; then
        sox_ "$1" "$3" tempo -s "$(calc "$length / ($2 - 0.02)")"
    else
        cp "$1" "$3"
    fi
}

# segment NAME TEXT RATE START END
# A spoken segment that must lie between START and END seconds on its sound's
# timeline; writes $work/NAME.wav already padded to START.
segment() {
    speak "$2" "$3" "$work/$1-speech.wav"
    fit "$work/$1-speech.wav" "$(calc "$5 - $4")" "$work/$1-fit.wav"
    sox_ "$work/$1-fit.wav" "$work/$1.wav" pad "$4"
    local length
    length="$(duration "$work/$1-fit.wav")"
    printf '  %-14s %6.3f .. %6.3f s  %s\n' "$1" "$4" "$(calc "$4 + $length")" "$2"
    is_true "$4 + $length <= $5" || { echo "segment $1 overruns $5 s" >&2; exit 1; }
}

# timeline OUT.wav SECONDS SEGMENT...
# Mixes the padded segments (which do not overlap) into one sound of exactly SECONDS.
timeline() {
    local target="$1" length="$2"
    shift 2
    local inputs=()
    for name in "$@"; do inputs+=(-v 1 "$work/$name.wav"); done
    if [ $# -eq 1 ]; then
        sox_ "$work/$1.wav" "$work/mix.wav"
    else
        sox_ -m "${inputs[@]}" "$work/mix.wav"
    fi
    sox_ "$work/mix.wav" "$target" pad 0 "$length" trim 0 "$length"
}

# finish IN.wav NAME SERIAL LOUDNESS
# Sets the level (active loudness LOUDNESS dBFS, peaks at most -3 dBFS; see
# level.py), softens the very ends, writes 16-bit and encodes it as
# $out/NAME.ogg with the given stream serial number.
finish() {
    sox_ "$1" -t wavpcm -b 32 "$work/plain.wav"
    /usr/bin/python3 "$here/level.py" "$work/plain.wav" "$work/levelled.wav" "$4" -3
    sox_ "$work/levelled.wav" -b 16 "$work/final.wav" fade t 0.003 0 0.003
    oggenc -Q -q 4 --serial "$3" -o "$out/$2.ogg" "$work/final.wav"
    printf '  %-18s %s\n' "$2.ogg" "$(soxi "$out/$2.ogg" | awk -F': ' '/Duration/ { print $2 }')"
}

# Active loudness of every voice, dBFS. The chime sits 1 dB under it (it is
# bright), the click 10 dB (a click as loud as the voice would startle).
speech=-16

echo "105: the instruction (44,000 Hz stereo, 23.9 s)"
segment intro "Здравствуй! Сейчас по экрану поплывут мыльные пузыри. Они появляются с разных сторон и улетают за край экрана. Лопни каждый пузырь, пока он не улетел. Смотри, как это сделать." 44000 0.30 14.25
# Spoken while the pointer glides onto a bubble and clicks it (14.4 .. 15.9 s).
segment point "Наведи на пузырь и щёлкни!" 44000 14.40 15.90
segment outro "Вот так! Пузырь лопнул. Лопай пузыри мышкой и старайся не промахиваться. Удачи!" 44000 16.30 23.50
timeline "$work/105.wav" 23.9 intro point outro
finish "$work/105.wav" 105 105 "$speech"

echo "ENDHELPSOUND: the keyboard page (44,100 Hz stereo, 5.2 s)"
segment space "Чтобы начать, нажми на клавиатуре большую длинную клавишу пробел." 44100 0.20 5.00
timeline "$work/ENDHELPSOUND.wav" 5.2 space
finish "$work/ENDHELPSOUND.wav" ENDHELPSOUND 200 "$speech"

echo "The words of praise (44,100 Hz stereo)"
serial=301
for pair in "bravo:Браво!" "gotovo:Готово!" "molodec:Молодец!" "otlichno:Отлично!" "ura:Ура!"; do
    name="${pair%%:*}"
    speak "${pair#*:}" 44100 "$work/$name-speech.wav"
    sox_ "$work/$name-speech.wav" "$work/$name.wav" pad 0.10 0.30
    finish "$work/$name.wav" "${name}_sound" "$serial" "$speech"
    serial=$((serial + 1))
done

echo "107: the closing chime (44,100 Hz stereo)"
/usr/bin/python3 "$here/synth.py" chime "$work/chime-raw.wav"
sox_ "$work/chime-raw.wav" "$work/chime.wav" pad 0.05 0.20
finish "$work/chime.wav" 107 107 -17

echo "MOUSE_CLICK_SOUND: the click (44,000 Hz stereo, 0.36 s)"
/usr/bin/python3 "$here/synth.py" click "$work/click.wav"
finish "$work/click.wav" MOUSE_CLICK_SOUND 400 -26
