#!/usr/bin/env bash
# For each row of the locale table: the system code page the program names (its --version,
# which adds the system's own where that is no single-byte one) and, given Wine and a
# Windows compiler, the one Wine gives a Windows program (a probe's GetACP(), with the
# locales made as a user's system has them). Fails on any row where either differs from
# the table.
#
#   code_page_by_locale.sh PROGRAM LOCALE_TABLE [WINE WINDOWS_CXX]
set -euo pipefail
program=$1 table=$2 wine=${3:-} cxx=${4:-}
work=$(mktemp -d)
export WINEPREFIX=$work/prefix WINEDEBUG=-all WINEDLLOVERRIDES=mscoree,mshtml= LOCPATH=$work/locales
trap '[ -z "$wine" ] || "$(dirname "$wine")/wineserver" -k 2>/dev/null; rm -rf "$work"' EXIT
mkdir "$LOCPATH"
if [ -n "$wine" ]; then
  printf '#include <windows.h>\n#include <cstdio>\nint main() { std::printf("%%u\\n", GetACP()); }\n' >"$work/probe.cpp"
  "$cxx" -static -o "$work/probe.exe" "$work/probe.cpp"
  # Wine reads the locale through the C library, which knows only the locales made.
  for name in $(grep -v '^#' "$table" | awk '{ print $1; print $2; print $3 }' | sort -u); do
    [ -e "/usr/share/i18n/locales/${name%%.*}" ] && [ "$name" != "${name%%.*}" ] || continue  # C, POSIX, unknown
    localedef -i "${name%%.*}" -f "${name#*.}" "$LOCPATH/$name" >/dev/null 2>&1 || [ -e "$LOCPATH/$name" ]
  done
  "$wine" wineboot --init >/dev/null 2>&1
fi
failed=0 rows=0
while read -r all ctype lang expected; do
  [[ $all == \#* ]] && continue
  args=()
  for pair in "LC_ALL=$all" "LC_CTYPE=$ctype" "LANG=$lang"; do
    [ "${pair#*=}" = - ] && args+=(-u "${pair%%=*}") || args+=("$pair")
  done
  ours=$(env "${args[@]}" "$program" --version | sed -n 's/^code page: Windows-\([0-9]*\)\( (the system.s \([0-9]*\).*\)\?$/\1 \3/p')
  read -r used system <<<"$ours"
  [ "${system:-$used}" = "$expected" ] && { [ -z "$system" ] || [ "$used" = 1252 ]; } || { echo "FAIL: $all $ctype $lang: the program reads $ours, the table $expected"; failed=1; }
  if [ -n "$wine" ]; then
    got=$(env "${args[@]}" "$wine" "$work/probe.exe" | tr -d '\r')
    [ "$got" = "$expected" ] || { echo "FAIL: $all $ctype $lang: Wine gives $got, the table $expected"; failed=1; }
  fi
  rows=$((rows + 1))
done <"$table"
echo "$rows rows${wine:+, each asked of Wine too}"
exit $failed
