#!/usr/bin/env bash
# GUI tests of the window program gvde under Xvfb and Wine.
#
#   tests/gui/run_gui_tests.sh --wine-build DIR [--native-build DIR] [--cli PATH] [--demogen PATH]
#
# --wine-build: the winelib build tree holding gvde.exe.so and gvde-gui-driver.exe.so.
# --native-build: the native build tree holding gvde-cli and gvde-demogen (or name them with
# --cli and --demogen). Without them the cases that need the demo game are skipped.
#
# Installs nothing. Needs wine and Xvfb on the PATH. Reuses one Wine prefix
# (GVDE_WINEPREFIX, default WINE_BUILD/wineprefix) and writes its work files, the screenshot
# gvde-window.bmp among them, to WINE_BUILD/gui-tests. The last line of the output is
# "N passed, N failed"; the exit status is non-zero when a case failed.
set -u

wine_build=""
native_build=""
cli=""
demogen=""
while [ $# -gt 0 ]; do
  case "$1" in
    --wine-build) wine_build=$2; shift 2 ;;
    --native-build) native_build=$2; shift 2 ;;
    --cli) cli=$2; shift 2 ;;
    --demogen) demogen=$2; shift 2 ;;
    -h|--help) sed -n '2,14p' "$0"; exit 0 ;;
    *) echo "unknown argument: $1" >&2; exit 2 ;;
  esac
done

passed=0
failed=0
finish() {
  echo "$passed passed, $failed failed"
  [ "$failed" -eq 0 ]
  exit $?
}
fail_setup() {
  echo "cannot run the GUI tests: $1" >&2
  failed=$((failed + 1))
  finish
}

[ -n "$wine_build" ] || fail_setup "--wine-build is required"
wine_build=$(cd "$wine_build" 2>/dev/null && pwd) || fail_setup "no winelib build tree"
if [ -n "$native_build" ]; then
  [ -n "$cli" ] || cli="$native_build/src/gvde-cli"
  [ -n "$demogen" ] || demogen="$native_build/tools/gvde-demogen"
fi
gvde_so="$wine_build/src/app/win32/gvde.exe.so"
driver_so="$wine_build/tests/gui/gvde-gui-driver.exe.so"
[ -f "$gvde_so" ] || fail_setup "$gvde_so is missing (build the target gvde)"
[ -f "$driver_so" ] || fail_setup "$driver_so is missing (build the target gvde-gui-driver)"
command -v wine >/dev/null || fail_setup "wine is not installed"
command -v Xvfb >/dev/null || fail_setup "Xvfb is not installed"

work="$wine_build/gui-tests"
rm -rf "$work"
mkdir -p "$work"
export WINEPREFIX="${GVDE_WINEPREFIX:-$wine_build/wineprefix}"
export WINEDEBUG=-all
export WINEDLLOVERRIDES="mscoree,mshtml="

# --- X server and Wine session ----------------------------------------------------------------
# Xvfb picks a free display itself and reports its number through descriptor 3.
Xvfb -displayfd 3 -screen 0 1024x768x24 -nolisten tcp 3>"$work/display" >"$work/xvfb.log" 2>&1 &
xvfb_pid=$!

cleanup() {
  timeout 20 wineserver -k >/dev/null 2>&1
  kill "$xvfb_pid" 2>/dev/null
  wait "$xvfb_pid" 2>/dev/null
}
trap cleanup EXIT

for _ in $(seq 100); do
  [ -s "$work/display" ] && break
  sleep 0.1
done
kill -0 "$xvfb_pid" 2>/dev/null && [ -s "$work/display" ] || fail_setup "Xvfb did not start (see $work/xvfb.log)"
export DISPLAY=":$(head -n 1 "$work/display")"

if [ ! -f "$WINEPREFIX/system.reg" ]; then
  echo "creating the Wine prefix $WINEPREFIX"
  timeout 180 wine wineboot --init >"$work/wineboot.log" 2>&1
  timeout 120 wineserver -w
fi
# Unmanaged windows close at once without a window manager; a crash must not open a dialog.
timeout 60 wine reg add 'HKCU\Software\Wine\X11 Driver' /v Managed /t REG_SZ /d N /f >/dev/null 2>&1
timeout 60 wine reg add 'HKCU\Software\Wine\WineDbg' /v ShowCrashDialog /t REG_DWORD /d 0 /f >/dev/null 2>&1
timeout 60 wineserver -w

# --- helpers ----------------------------------------------------------------------------------
# A Unix path as the window program sees it under Wine.
winpath() { printf 'Z:%s' "${1//\//\\}"; }

write_config() {  # DIR: Effect.ini, AITypes.ini and a valid Address.ini
  local dir=$1 i
  mkdir -p "$dir"
  : >"$dir/Effect.ini"
  for i in $(seq 0 93); do printf 'Effect %d\r\n' "$i" >>"$dir/Effect.ini"; done
  : >"$dir/AITypes.ini"
  for i in $(seq 0 39); do printf 'AI type %d\r\n' "$i" >>"$dir/AITypes.ini"; done
  printf 'ItemTable=401000\r\nUniqueTable=402000\r\nMonsterTable=403000\r\nBossTable=404000\r\nSpellTable=405000\r\nAffixTable=406000\r\nTitle=407000\r\n' >"$dir/Address.ini"
}

case_failed=0
case_note() { echo "    $*"; case_failed=1; }

# Starts gvde in DIR, runs the driver with the remaining arguments beside it, and waits for
# gvde to end. Sets gvde_status.
drive() {
  local dir=$1 name=$2
  shift 2
  (cd "$dir" && exec timeout 300 wine "$gvde_so") >"$work/$name.gvde.log" 2>&1 &
  local gvde_pid=$!
  if ! (cd "$dir" && timeout 600 wine "$driver_so" "$name" "$@") >"$work/$name.driver.log" 2>&1; then
    case_failed=1
  fi
  wait "$gvde_pid"
  gvde_status=$?
  if [ "$case_failed" -ne 0 ] || [ "$gvde_status" -eq 124 ]; then
    sed 's/^/    /' "$work/$name.driver.log"
  fi
  [ "$gvde_status" -ne 124 ] || case_note "gvde did not end"
}

expect_settings() {  # FILE LINE1 LINE2 LINE3: Settings.ini holds exactly these CR LF lines
  local expected
  expected=$(mktemp "$work/expected.XXXXXX")
  printf '%s\r\n' "$2" "$3" "$4" >"$expected"
  if ! cmp -s "$1" "$expected"; then
    case_note "$1 differs from the expected bytes:"
    od -c "$1" 2>&1 | sed 's/^/      got      /' | head -8
    od -c "$expected" | sed 's/^/      expected /' | head -8
  fi
  rm -f "$expected"
}

end_case() {
  if [ "$case_failed" -eq 0 ]; then
    echo "PASS $1"
    passed=$((passed + 1))
  else
    echo "FAIL $1"
    failed=$((failed + 1))
  fi
  case_failed=0
}

# --- cases without a game ---------------------------------------------------------------------
case_resources() {
  local res="$wine_build/src/app/win32/gvde.res" ico="$wine_build/src/app/win32/gvde.ico"
  python3 - "$res" "$ico" <<'PY' || case_failed=1
import struct, sys
res, ico = (open(path, "rb").read() for path in sys.argv[1:3])
problems = []
if "MAINICON".encode("utf-16-le") not in res:
    problems.append("no resource named MAINICON")
for text in (b'name="Microsoft.Windows.Common-Controls" version="6.0.0.0"', b'level="asInvoker"',
             b'<dpiAware xmlns="http://schemas.microsoft.com/SMI/2005/WindowsSettings">true</dpiAware>'):
    if text not in res:
        problems.append("the manifest lacks " + text.decode())
reserved, kind, count = struct.unpack_from("<HHH", ico, 0)
width, height, colours, _, planes, bits = struct.unpack_from("<BBBBHH", ico, 6)
if (kind, count, width, height, colours, bits) != (1, 1, 32, 32, 16, 4):
    problems.append("the icon is not one 32x32 image with 16 colours")
for problem in problems:
    print("    " + problem)
sys.exit(1 if problems else 0)
PY
  end_case "resources: icon group MAINICON (one 32x32 16-colour icon) and the manifest"
}

case_layout() {
  local dir="$work/layout"
  write_config "$dir"
  printf 'C:\\Games\\Grimveil\\\r\nD:\\Site\\\r\n+\r\n' >"$dir/Settings.ini"
  drive "$dir" layout layout 'C:\Games\Grimveil\' 'D:\Site\' 1 "$work/gvde-window.bmp" + close
  [ "$gvde_status" -eq 0 ] || case_note "gvde ended with status $gvde_status"
  # Closing right after start writes the remembered values back unchanged.
  expect_settings "$dir/Settings.ini" 'C:\Games\Grimveil\' 'D:\Site\' +
  end_case "layout: class, frame, controls, Tab order, focus; Settings.ini written back"
}

case_resize() {
  local dir="$work/resize"
  write_config "$dir"
  drive "$dir" resize resize + close
  expect_settings "$dir/Settings.ini" '' '' -
  end_case "resize: wider stretches the controls, never narrower, fixed height"
}

case_settings() {
  local dir="$work/settings"
  write_config "$dir"
  drive "$dir" settings fields '' '' 0 + edit 'C:\G' 'Z:\tmp\site' 1 + close
  expect_settings "$dir/Settings.ini" 'C:\G' 'Z:\tmp\site' +
  end_case "settings: typed texts and the ticked box are saved at exit"
}

case_plus_space() {
  local dir="$work/plus-space"
  write_config "$dir"
  printf 'first\r\nsecond\r\n+ \r\n' >"$dir/Settings.ini"
  drive "$dir" plus-space fields first second 0 + close
  expect_settings "$dir/Settings.ini" first second -
  end_case "settings: a third line other than exactly \"+\" leaves the box cleared"
}

case_about() {
  local dir="$work/about"
  write_config "$dir"
  drive "$dir" about about + close
  end_case "about: the About box"
}

case_choosers() {
  local dir="$work/choosers"
  write_config "$dir"
  # The browser of Wine 8 preselects folders on drive C: but not deep below Z:, so the
  # folder to pick lies in the prefix. The first lookup of a newly made folder gives an item
  # that the browser's tree does not match; listing the folder once first avoids that.
  local picked_unix="$WINEPREFIX/drive_c/gvde-gui-tests/picked folder"
  rm -rf "$WINEPREFIX/drive_c/gvde-gui-tests"
  mkdir -p "$picked_unix"
  timeout 60 wine cmd /c dir 'C:\gvde-gui-tests' >/dev/null 2>&1
  local picked='C:\gvde-gui-tests\picked folder' typed='Z:\typed\by\hand'
  drive "$dir" choosers chooser "$picked" "$typed" + close
  expect_settings "$dir/Settings.ini" "$typed" "$picked\\" -
  end_case "choosers: Cancel keeps the field, OK on the preselected folder adds a backslash"
}

startup_case() {  # NAME MESSAGE, with the start directory prepared by the caller
  local dir="$work/$1"
  local before
  before=$(ls -A "$dir")
  drive "$dir" "$1" startup-error "$2"
  [ "$gvde_status" -ne 0 ] || case_note "gvde ended with status 0 after a start-up failure"
  [ "$(ls -A "$dir")" = "$before" ] || case_note "files were written: $(ls -A "$dir" | tr '\n' ' ')"
  end_case "$1: \"$2\" before any window"
}

case_startup_failures() {
  mkdir -p "$work/startup-no-effect"
  startup_case startup-no-effect "Cannot read Effect.ini"

  write_config "$work/startup-no-aitypes"
  rm "$work/startup-no-aitypes/AITypes.ini" "$work/startup-no-aitypes/Address.ini"
  startup_case startup-no-aitypes "Cannot read AITypes.ini"

  write_config "$work/startup-bad-address"
  printf 'ItemTable=401000\r\nthis line has no equals sign\r\n' >"$work/startup-bad-address/Address.ini"
  startup_case startup-bad-address "Cannot read Address.ini"

  write_config "$work/startup-zero-key"
  sed -i 's/^MonsterTable=.*/MonsterTable=0\r/' "$work/startup-zero-key/Address.ini"
  startup_case startup-zero-key "MonsterTable offset equals 0"

  write_config "$work/startup-prefixed-key"
  sed -i 's/^ItemTable=.*/ItemTable=0x401000\r/' "$work/startup-prefixed-key/Address.ini"
  startup_case startup-prefixed-key "ItemTable offset equals 0"
}

case_start_messages() {
  local dir="$work/start-messages"
  write_config "$dir"
  mkdir -p "$dir/out"
  drive "$dir" start-messages \
    start-message '' '' 'Input Grimveil path' + \
    start-message 'Z:\somewhere\' '' 'Input path for result' + \
    start-message "$(winpath "$dir/no-game")\\" "$(winpath "$dir/out")\\" 'Cannot open GV.exe file' + close
  end_case "start-messages: the run's first error boxes, owned by the window"
}

# --- runs on the demo game, compared with gvde-cli ----------------------------------------------
demo=""
prepare_demo() {
  demo="$work/demo"
  if ! "$demogen" "$demo" >"$work/demogen.log" 2>&1; then
    echo "    gvde-demogen failed:"
    sed 's/^/    /' "$work/demogen.log"
    demo=""
  fi
}

# NAME TICK ANSWER CLI_FLAGS...: one run through the window and one through gvde-cli.
run_case() {
  local name=$1 tick=$2 answer=$3
  shift 3
  local dir="$work/$name"
  mkdir -p "$dir/window" "$dir/cli"
  if [ -z "$demo" ]; then
    case_note "no demo game"
    end_case "$name"
    return
  fi
  local game out
  game="$(winpath "$demo/game")\\"
  out="$(winpath "$dir/window")\\"
  rm -f "$demo/Settings.ini"
  drive "$demo" "$name" run "$game" "$out" "$tick" "$answer" "$dir/boxes.log" + close
  (cd "$demo" && timeout 300 "$cli" "$@" game/ "$dir/cli/") >"$dir/cli.stdout" 2>"$dir/cli.stderr"
  if ! diff -r "$dir/window" "$dir/cli" >"$dir/site.diff" 2>&1; then
    case_note "the sites written by the window and by gvde-cli differ:"
    head -20 "$dir/site.diff" | sed 's/^/      /'
  fi
  [ -f "$dir/window/index.htm" ] || [ "$answer" = yes ] || case_note "the window wrote no index.htm"
  # The boxes, in order, are the CLI's message lines followed by its stdout ("Done"). The
  # CLI's indented detail lines and its summary after Done have no box.
  { grep -v -E '^  |^Wrote [0-9]+ files ' "$dir/cli.stderr"; cat "$dir/cli.stdout"; } >"$dir/cli.boxes"
  if ! cmp -s "$dir/boxes.log" "$dir/cli.boxes"; then
    case_note "the boxes differ from gvde-cli's messages:"
    diff "$dir/boxes.log" "$dir/cli.boxes" | head -10 | sed 's/^/      /'
  fi
  local sign=-
  [ "$tick" = 1 ] && sign=+
  expect_settings "$demo/Settings.ini" "$game" "$out" "$sign"
  end_case "$name: site written through the window equals gvde-cli's"
}

case_runs() {
  if [ -z "$cli" ] || [ -z "$demogen" ] || [ ! -x "$cli" ] || [ ! -x "$demogen" ]; then
    echo "SKIP runs on the demo game: gvde-cli or gvde-demogen not given or not built"
    return
  fi
  prepare_demo
  run_case run-keep-going 1 no --technical --keep-going
  run_case run-stop 0 yes --stop-on-image-error
}

case_resources
case_layout
case_resize
case_settings
case_plus_space
case_about
case_choosers
case_startup_failures
case_start_messages
case_runs
finish
