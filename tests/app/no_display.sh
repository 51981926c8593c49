#!/bin/bash
# Started where there is no display, the trainer says in one line that it
# needs a graphical session and ends with a non-zero code, instead of running
# unseen. Usage: no_display.sh <path of the kvarlop executable>
set -u
program="$1"
err="$(mktemp)"
trap 'rm -f "$err"' EXIT
env -u DISPLAY -u WAYLAND_DISPLAY -u SDL_VIDEODRIVER SDL_AUDIODRIVER=dummy \
    timeout 60 "$program" 2>"$err" >/dev/null
code=$?
if [ "$code" -eq 0 ] || [ "$code" -eq 124 ]; then
    echo "expected a refusal, got exit code $code"; cat "$err"; exit 1
fi
if [ "$(wc -l <"$err")" -ne 1 ] || ! grep -q "needs a graphical session" "$err"; then
    echo "expected one line about the graphical session:"; cat "$err"; exit 1
fi
# A display named but not reachable is refused the same way. SDL's failed
# probe of the display leaves a D-Bus buffer the library never frees.
env -u WAYLAND_DISPLAY -u SDL_VIDEODRIVER DISPLAY=:999 SDL_AUDIODRIVER=dummy \
    ASAN_OPTIONS="${ASAN_OPTIONS:+$ASAN_OPTIONS:}detect_leaks=0" \
    timeout 60 "$program" 2>"$err" >/dev/null
code=$?
if [ "$code" -eq 0 ] || [ "$code" -eq 124 ] || ! grep -q "needs a graphical session" "$err"; then
    echo "unreachable display: exit code $code"; cat "$err"; exit 1
fi
echo "refused: $(tail -n 1 "$err")"
