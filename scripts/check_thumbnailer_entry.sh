#!/usr/bin/env bash
# Checks a .thumbnailer entry as the file managers read it: one
# [Thumbnailer Entry] group of key=value lines, an Exec that names its input
# (%i or %u) and output (%o) and runs the program TryExec names from BINDIR,
# and MimeType a list of types. The camera raw types must be those the
# desktop entry names, so that the two never drift apart.
# Usage: check_thumbnailer_entry.sh ENTRY BINDIR DESKTOP_ENTRY
set -euo pipefail
entry=$1 bindir=$2 desktop=$3
fail() { echo "check_thumbnailer_entry.sh: $entry: $*" >&2; exit 1; }

[[ $(head -n 1 "$entry") == "[Thumbnailer Entry]" ]] || fail "does not open with [Thumbnailer Entry]"
groups=$(grep -c '^\[' "$entry")
((groups == 1)) || fail "holds $groups groups"
while IFS= read -r line; do
  [[ -z $line || $line == \#* || $line == "[Thumbnailer Entry]" ]] && continue
  [[ $line =~ ^(TryExec|Exec|MimeType)=.+$ ]] || fail "unknown or empty line: $line"
done <"$entry"
value() { sed -n "s/^$1=//p" "$entry"; }
exec_line=$(value Exec) try=$(value TryExec) types=$(value MimeType)
[[ $exec_line == *%[iu]* && $exec_line == *%o* ]] || fail "Exec names no input or no output: $exec_line"
[[ ${exec_line%% *} == "$try" ]] || fail "Exec runs ${exec_line%% *}, TryExec names $try"
[[ -x $bindir/$try ]] || fail "no program $bindir/$try"
[[ $types == *\; ]] || fail "MimeType does not end with ;"
IFS=';' read -r -a listed <<<"$types"
for type in "${listed[@]}"; do
  [[ $type =~ ^[a-z]+/[a-z0-9.+-]+$ ]] || fail "not a MIME type: $type"
done
desktop_raws=$(sed -n 's/^MimeType=//p' "$desktop" | tr ';' '\n' | grep '^image/x-' | sort)
entry_raws=$(tr ';' '\n' <<<"$types" | grep '^image/x-' | sort)
[[ $desktop_raws == "$entry_raws" ]] || fail "camera raw types differ from the desktop entry's"
echo "check_thumbnailer_entry.sh: $entry is valid"
