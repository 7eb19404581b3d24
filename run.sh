#!/usr/bin/env bash
# Sets up, builds and launches Velmora. It needs a display: on a machine without one, run it
# under a virtual display with "xvfb-run -a ./run.sh".
set -euo pipefail
cd "$(dirname "$0")"
scripts/setup.sh
cmake -S . -B build -DCMAKE_BUILD_TYPE=Release >/dev/null
cmake --build build -j2 --target velmora velmora-render
if [ -z "${DISPLAY:-}" ] && [ -z "${WAYLAND_DISPLAY:-}" ]; then
    echo "Pas d'affichage graphique : lancez « xvfb-run -a ./run.sh » pour un affichage virtuel," >&2
    echo "ou build/tools/velmora-render -o abaque.png pour l'abaque dans un fichier." >&2
    exit 1
fi
exec build/app/velmora "$@"
