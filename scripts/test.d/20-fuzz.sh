#!/usr/bin/env bash
# Fuzz regression check after the unit tests: builds the fuzz targets with clang in build/fuzz
# and runs each on its committed seeds plus a few seconds of fuzzing (GVDE_FUZZ_CI_SECONDS,
# default 5). Fails when any target crashes, hangs or runs out of memory.
set -euo pipefail
root=$(cd "$(dirname "$0")/../.." && pwd)
GVDE_FUZZ_FRESH=1 exec bash "$root/scripts/fuzz" "${GVDE_FUZZ_CI_SECONDS:-5}"
