#!/usr/bin/env bash
# Checks that every source of the Windows build compiles with MinGW-w64 (x86_64), with the
# project's warnings (cmake/warnings.cmake) as errors, and that the resource script compiles
# with windres. Syntax only: no Windows build of StormLib or zlib is available here, so nothing
# is linked. Sources named for another platform (*_posix.cpp, *_winelib.cpp) are left out, as
# the Windows build does.
#
#   scripts/check_mingw.sh            (needs the Debian package g++-mingw-w64-x86-64)
#
# The last line is "N passed, N failed"; the exit status is non-zero when a file failed.
set -u
root=$(cd "$(dirname "$0")/.." && pwd)
cxx=${MINGW_CXX:-x86_64-w64-mingw32-g++}
windres=${MINGW_WINDRES:-x86_64-w64-mingw32-windres}
if ! command -v "$cxx" >/dev/null; then
  echo "$cxx not found: apt-get install g++-mingw-w64-x86-64" >&2
  echo "0 passed, 1 failed"
  exit 1
fi

scratch=$(mktemp -d)
trap 'rm -rf "$scratch"' EXIT

# StormLib.h and zlib.h are plain headers that take their Windows branch under _WIN32; copies in
# a folder of their own keep the rest of /usr/include (glibc) out of the Windows compile.
mkdir -p "$scratch/include"
for header in StormLib.h StormPort.h zlib.h zconf.h; do
  [ -f "/usr/include/$header" ] && cp "/usr/include/$header" "$scratch/include/"
done
# The JSON library is headers only and portable.
[ -d /usr/include/nlohmann ] && cp -r /usr/include/nlohmann "$scratch/include/"
# OpenSSL's headers, with the configuration header of this machine's build (the Windows build
# gets its own from vcpkg); enough for a syntax check.
if [ -d /usr/include/openssl ]; then
  cp -r /usr/include/openssl "$scratch/include/"
  cp /usr/include/*-linux-gnu/openssl/*.h "$scratch/include/openssl/" 2>/dev/null
fi

# The project's warnings as errors, from the file that defines them for every build.
mapfile -t warnings < <(cmake -P "$root/cmake/warnings.cmake")
if [ "${#warnings[@]}" -eq 0 ]; then
  echo "cmake -P cmake/warnings.cmake printed no warning flags" >&2
  echo "0 passed, 1 failed"
  exit 1
fi
flags=(-std=c++20 -fsyntax-only "${warnings[@]}" -DNOMINMAX
       -DGVDE_VERSION=\"0\" -DGVDE_DOC_DIR=\"doc\" -I"$root/src" -I"$root/tools" -I"$root/tests/gui" -isystem "$scratch/include")
passed=0
failed=0
while IFS= read -r source; do
  if "$cxx" "${flags[@]}" "$source" 2>"$scratch/errors"; then
    passed=$((passed + 1))
  else
    failed=$((failed + 1))
    echo "FAIL ${source#"$root"/}"
    head -20 "$scratch/errors"
  fi
done < <(find "$root/src" "$root/tools/demogame" "$root/tools/demogen" "$root/tests/gui" -name '*.cpp' \
           ! -name '*_posix.cpp' ! -name '*_winelib.cpp' | sort)

if command -v "$windres" >/dev/null; then
  cp "$root/src/app/win32/gvde.manifest" "$scratch/"
  if python3 "$root/tools/make_icon.py" "$scratch/gvde.ico" &&
     "$windres" -I"$scratch" -i "$root/src/app/win32/gvde.rc" -o "$scratch/gvde.res.o" 2>"$scratch/errors"; then
    passed=$((passed + 1))
  else
    failed=$((failed + 1))
    echo "FAIL src/app/win32/gvde.rc"
    head -20 "$scratch/errors"
  fi
fi

echo "$passed passed, $failed failed"
[ "$failed" -eq 0 ]
