#!/usr/bin/env bash
# For each row of the locale table: the system code page the program names (its --version,
# which adds the system's own where that is no single-byte one, and then uses 1252) and,
# given Wine and a Windows compiler, the one Wine gives a Windows program (a probe's
# GetACP(), with the locales made as a user's system has them: Wine reads them through the
# C library). Fails on any row where either differs from the table.
#
#   code_page_by_locale.sh PROGRAM LOCALE_TABLE [WINE WINDOWS_CXX]
set -euo pipefail
program=$1 table=$2 wine=${3:-} cxx=${4:-} work=$(mktemp -d) failed=0
export WINEPREFIX=$work/prefix WINEDEBUG=-all WINEDLLOVERRIDES=mscoree,mshtml= LOCPATH=$work/locales
trap '[ -z "$wine" ] || "$(dirname "$wine")/wineserver" -k 2>/dev/null; rm -rf "$work"' EXIT
mkdir "$LOCPATH" && if [ -n "$wine" ]; then
  printf '#include <windows.h>\n#include <cstdio>\nint main() { std::printf("%%u\\n", GetACP()); }\n' >"$work/probe.cpp"
  "$cxx" -static -o "$work/probe.exe" "$work/probe.cpp" && "$wine" wineboot --init >/dev/null 2>&1
  for name in $(grep -v '^#' "$table" | awk '{ print $1 "\n" $2 "\n" $3 }' | sort -u); do
    [ -e "/usr/share/i18n/locales/${name%%.*}" ] && [ "$name" != "${name%%.*}" ] || continue  # C, POSIX, unknown
    localedef -i "${name%%.*}" -f "${name#*.}" "$LOCPATH/$name" >/dev/null 2>&1 || [ -e "$LOCPATH/$name" ]
  done
fi
while read -r all ctype lang expected; do
  [[ $all == \#* ]] && continue || set -- LC_ALL="$all" LC_CTYPE="$ctype" LANG="$lang"
  args=() && for pair; do [ "${pair#*=}" = - ] && args=(-u "${pair%%=*}" "${args[@]}") || args+=("$pair"); done  # -u first
  read -r used system < <(env "${args[@]}" "$program" --version | sed -n "s/^code page: Windows-\([0-9]*\)\( (the system's \([0-9]*\).*\)\?$/\1 \3/p")
  [ "${system:-$used}" = "$expected" ] && [ "${system:+$used}" = "${system:+1252}" ] ||
    { echo "FAIL: $*: the program reads $used ${system:-}, the table $expected"; failed=1; }
  [ -z "$wine" ] || [ "$(env "${args[@]}" "$wine" "$work/probe.exe" | tr -d '\r')" = "$expected" ] ||
    { echo "FAIL: $*: Wine gives another code page than the table's $expected"; failed=1; }
done <"$table"
exit $failed
