#!/bin/bash
# Installs what is missing, builds everything and runs every test twice:
# once in a plain build, once under AddressSanitizer and UndefinedBehaviorSanitizer;
# then the sound tests a third time under ThreadSanitizer.
set -euo pipefail
root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
bash "$root/scripts/deps.sh"
jobs="$(nproc)"
export SDL_VIDEODRIVER="${SDL_VIDEODRIVER:-offscreen}"
export SDL_AUDIODRIVER="${SDL_AUDIODRIVER:-dummy}"

cmake -S "$root" -B "$root/build/test" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DKVARLOP_WERROR=ON
cmake --build "$root/build/test" -j "$jobs"
ctest --test-dir "$root/build/test" --output-on-failure -j "$jobs"

cmake -S "$root" -B "$root/build/asan" -G Ninja -DCMAKE_BUILD_TYPE=Debug -DKVARLOP_SANITIZE=address -DKVARLOP_WERROR=ON
cmake --build "$root/build/asan" -j "$jobs"
ASAN_OPTIONS="detect_leaks=1:abort_on_error=1" \
LSAN_OPTIONS="suppressions=$root/scripts/lsan.supp" \
UBSAN_OPTIONS="print_stacktrace=1:halt_on_error=1" \
    ctest --test-dir "$root/build/asan" --output-on-failure -j "$jobs"

# The sound threads and the mixer under ThreadSanitizer: the DirectSound and
# the sound-system tests.
cmake -S "$root" -B "$root/build/tsan" -G Ninja -DCMAKE_BUILD_TYPE=Debug -DKVARLOP_SANITIZE=thread -DKVARLOP_WERROR=ON
cmake --build "$root/build/tsan" -j "$jobs" --target test_platform test_framework
TSAN_OPTIONS="halt_on_error=1" \
    ctest --test-dir "$root/build/tsan" --output-on-failure -j "$jobs" -R 'Dsound|Sound|HalfStream|Realtime'
