#!/usr/bin/env bash
# The packages as a user installs them. Builds them (scripts/package), installs both with
# apt-get, and with the package's build tree moved out of reach runs the installed
# gvde-demogen and gvde-cli from PATH in an empty folder: the run ends with Done and writes the
# same site as build/default's gvde-cli. Then: the programs are stripped, the worker is off
# PATH, man finds both pages, bash, zsh and fish find the completions where Debian's shells
# look, and after `apt-get remove gvde` nothing the packages installed is left.
set -euo pipefail
root=$(cd "$(dirname "$0")/../.." && pwd)
cd "$root"
tree=build/package
moved=build/package.out-of-reach
work=$(mktemp -d)
fail() {
  echo "FAIL: $*" >&2
  exit 1
}
cleanup() {
  if [[ -d $moved ]]; then mv "$moved" "$tree"; fi
  if dpkg -s gvde >/dev/null 2>&1; then apt-get remove -y -qq gvde gvde-demogen >/dev/null; fi
  rm -rf "$work"
}
trap cleanup EXIT
[[ -x build/default/src/gvde-cli ]] || fail "build/default/src/gvde-cli is not built (scripts/test builds it first)"

bash scripts/package >/dev/null
debs=("$root"/$tree/gvde_*.deb "$root"/$tree/gvde-demogen_*.deb)
# What the packages hold and which of it was there before.
for deb in "${debs[@]}"; do dpkg-deb --fsys-tarfile "$deb" | tar -t | sed 's|^\./|/|; s|/$||'; done |
  sort -u | while read -r path; do if [[ -e $path ]]; then echo "$path"; fi; done >"$work/before"
export DEBIAN_FRONTEND=noninteractive
apt-get install -y -qq "${debs[@]}" >/dev/null
dpkg -L gvde gvde-demogen | grep -vx "/\." | sort -u >"$work/installed"
grep -qx /usr/libexec/gvde/gvde-archive-worker "$work/installed" || fail "the worker is not in /usr/libexec/gvde"

mv "$tree" "$moved"
mkdir "$work/empty"
(cd "$work/empty" && gvde-demogen demo >/dev/null && cd demo &&
  gvde-cli --keep-going game/ site/ >"$work/out" 2>"$work/err") || true
mv "$moved" "$tree"
[[ $(cat "$work/out") == Done ]] || fail "the installed gvde-cli did not end with Done: $(head -3 "$work/err")"
(cd "$work/empty/demo" && "$root/build/default/src/gvde-cli" --keep-going game/ "$work/built-site/" >/dev/null 2>&1) || true
diff -r "$work/empty/demo/site" "$work/built-site" >/dev/null || fail "the installed gvde-cli wrote another site"

for program in /usr/bin/gvde-cli /usr/bin/gvde-demogen /usr/libexec/gvde/gvde-archive-worker; do
  if readelf -S "$program" | grep -q '\.symtab'; then fail "$program is not stripped"; fi
done
if command -v gvde-archive-worker >/dev/null; then fail "gvde-archive-worker is on PATH"; fi
[[ $(man -w gvde-cli) == /usr/share/man/man1/gvde-cli.1.gz ]] || fail "man -w gvde-cli: $(man -w gvde-cli 2>&1)"
[[ $(man -w gvde-demogen) == /usr/share/man/man1/gvde-demogen.1.gz ]] || fail "man -w gvde-demogen"
MANPAGER=cat man gvde-cli 2>/dev/null | grep -q -- '--keep-going' || fail "man gvde-cli does not show the options"

# bash-completion's own loader finds the completion by the command's name.
offered=$(bash -c 'source /usr/share/bash-completion/bash_completion && __load_completion gvde-cli &&
  read -r -a completion < <(complete -p gvde-cli) && COMP_WORDS=(gvde-cli --ke) && COMP_CWORD=1 &&
  "${completion[2]}" gvde-cli --ke gvde-cli && echo "${COMPREPLY[*]}"')
[[ $offered == --keep-going ]] || fail "bash completes gvde-cli --ke to '$offered'"
if command -v zsh >/dev/null; then
  found=$(zsh -fc 'autoload -Uz compinit && compinit -u -D && print -r -- $_comps[gvde-cli]')
  [[ $found == _gvde-cli ]] || fail "zsh does not find the completion: '$found'"
fi
if command -v fish >/dev/null; then
  offered=$(fish -c 'complete -C "gvde-cli --ke"' | cut -f1)
  [[ $offered == --keep-going ]] || fail "fish completes gvde-cli --ke to '$offered'"
fi

apt-get remove -y -qq gvde >/dev/null
if dpkg -s gvde-demogen >/dev/null 2>&1; then fail "gvde-demogen stays installed without gvde"; fi
left=$(comm -23 "$work/installed" "$work/before" | while read -r path; do
  if [[ -e $path ]]; then echo "$path"; fi
done)
[[ -z $left ]] || fail "left behind after apt-get remove: $left"
echo "package: installed, ran, completed, removed"
