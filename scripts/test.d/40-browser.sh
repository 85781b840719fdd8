#!/usr/bin/env bash
# The explorer in a real browser: the demo game's site written with --explorer is opened from
# disk in Debian's Chromium, driven by puppeteer-core (tests/browser, installed by
# scripts/setup --tests), and checked against the data document of the same run. The demo at
# 100 times its size shows the data's size and how long the page takes to answer a keystroke.
#
#   GVDE_SCREENSHOT=docs/explorer.png bash scripts/test.d/40-browser.sh   # also the picture
set -euo pipefail
root=$(cd "$(dirname "$0")/../.." && pwd)
build="$root/build/default"
# The large site is about 500 MB in 90,000 files, written and removed at once: in memory when
# there is room for it.
parent=${TMPDIR:-/tmp}
if [[ -d /dev/shm ]] && (($(df --output=avail -k /dev/shm | tail -1) > 2 * 1024 * 1024)); then
  parent=/dev/shm
fi
scratch=$(mktemp -d "$parent/gvde-browser.XXXXXX")
trap 'rm -rf "$scratch"' EXIT

# Writes the demo at scale $1 into $scratch/$2, its site with the explorer and its document.
site() {
  "$build/tools/gvde-demogen" --scale "$1" "$scratch/$2" >/dev/null
  if ! (cd "$scratch/$2" && "$build/src/gvde-cli" --keep-going --quiet --explorer --json document.json game site \
          >"$scratch/$2.out" 2>"$scratch/$2.err"); then
    cat "$scratch/$2.out" "$scratch/$2.err" >&2
    exit 1
  fi
}

[[ -d "$root/tests/browser/node_modules/puppeteer-core" ]] || (cd "$root/tests/browser" && npm ci --loglevel=error)
site 1 demo
site 100 large
screenshot=""
[[ -n "${GVDE_SCREENSHOT:-}" ]] && screenshot=$(realpath -m "$GVDE_SCREENSHOT")
cd "$root/tests/browser"
GVDE_SITE="$scratch/demo/site" GVDE_JSON="$scratch/demo/document.json" \
GVDE_LARGE_SITE="$scratch/large/site" GVDE_LARGE_JSON="$scratch/large/document.json" \
GVDE_SCREENSHOT="$screenshot" node explorer_test.mjs
