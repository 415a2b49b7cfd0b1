#!/usr/bin/env bash
# Asks Wine for the code page it gives a Windows program (a probe's GetACP()) under each
# row of the locale table, with the locales made as a user's system has them, and fails on
# any row where Wine says otherwise than the table.
#
#   wine_code_page.sh WINE WINDOWS_CXX LOCALE_TABLE
set -euo pipefail
wine=$1 cxx=$2 table=$3
work=$(mktemp -d)
export WINEPREFIX=$work/prefix WINEDEBUG=-all WINEDLLOVERRIDES=mscoree,mshtml= LOCPATH=$work/locales
trap '"$(dirname "$wine")/wineserver" -k 2>/dev/null; rm -rf "$work"' EXIT
printf '#include <windows.h>\n#include <cstdio>\nint main() { std::printf("%%u\\n", GetACP()); }\n' >"$work/probe.cpp"
"$cxx" -static -o "$work/probe.exe" "$work/probe.cpp"
mkdir "$LOCPATH"
# Wine reads the locale through the C library, which knows only the locales made.
for name in $(grep -v '^#' "$table" | awk '{ print $1; print $2; print $3 }' | sort -u); do
  [ -e "/usr/share/i18n/locales/${name%%.*}" ] && [ "$name" != "${name%%.*}" ] || continue  # C, POSIX, unknown
  localedef -i "${name%%.*}" -f "${name#*.}" "$LOCPATH/$name" >/dev/null 2>&1 || [ -e "$LOCPATH/$name" ]
done
"$wine" wineboot --init >/dev/null 2>&1
failed=0 rows=0
while read -r all ctype lang expected; do
  [[ $all == \#* ]] && continue
  args=()
  for pair in "LC_ALL=$all" "LC_CTYPE=$ctype" "LANG=$lang"; do
    [ "${pair#*=}" = - ] && args+=(-u "${pair%%=*}") || args+=("$pair")
  done
  got=$(env "${args[@]}" "$wine" "$work/probe.exe" | tr -d '\r')
  rows=$((rows + 1))
  [ "$got" = "$expected" ] || { echo "FAIL: LC_ALL=$all LC_CTYPE=$ctype LANG=$lang: Wine gives $got, the table $expected"; failed=1; }
done <"$table"
echo "$rows rows asked"
exit $failed
