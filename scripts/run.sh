#!/bin/bash
# Installs what is missing, builds the trainer and starts it.
set -euo pipefail
root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
bash "$root/scripts/deps.sh"
cmake -S "$root" -B "$root/build/release" -G Ninja -DCMAKE_BUILD_TYPE=Release
cmake --build "$root/build/release" --target kvarlop
cd "$root/build/release/app"
exec ./kvarlop "$@"
