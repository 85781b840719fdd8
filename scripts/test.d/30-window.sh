#!/usr/bin/env bash
# The window program: every Win32 source compiles for Windows (MinGW-w64), the winelib build
# links, and the GUI tests drive it under Xvfb and Wine.
set -euo pipefail
cd "$(dirname "$0")/../.."
bash scripts/check_mingw.sh
cmake --preset winelib
cmake --build --preset winelib -j2
bash tests/gui/run_gui_tests.sh --wine-build "$PWD/build/winelib" --native-build "$PWD/build/default"
