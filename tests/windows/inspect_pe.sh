#!/usr/bin/env bash
# Checks the shipped exe as a file: a PE32 console program for i386 of at
# most 24 KiB that binds Vemtu.dll by export number only and needs no DLL a
# bare Windows PC lacks; and the simulator DLL exports those numbers and no names.
set -u
objdump=$1 exe=$2 dll=$3
failed=0
fail() { echo "FAIL: $*"; failed=1; }

headers=$("$objdump" -p "$exe")
"$objdump" -f "$exe" | grep -q 'file format pei-i386' || fail "$exe is not pei-i386"
grep -q 'Magic[[:space:]]*010b[[:space:]]*(PE32)' <<<"$headers" || fail "$exe is not PE32"
grep -q 'Subsystem[[:space:]]*00000003[[:space:]]*(Windows CUI)' <<<"$headers" || fail "$exe is not a console program"

dlls=$(grep 'DLL Name:' <<<"$headers" | awk '{print $3}' | sort | tr '\n' ' ')
[ "$dlls" = "KERNEL32.dll Vemtu.dll msvcrt.dll " ] || fail "$exe imports from: $dlls"

# The Vemtu.dll block lists one import per line: vma, hint/ordinal, name.
vemtu=$(awk '/DLL Name: Vemtu.dll/ {on=1; next} on && /DLL Name:|^$/ {on=0} on && $1 ~ /^[0-9a-f]+$/' <<<"$headers")
ordinals=$(awk '{print $2}' <<<"$vemtu" | sort -n | tr '\n' ' ')
[ "$ordinals" = "1 74 102 " ] || fail "Vemtu.dll imported by ordinals: $ordinals"
names=$(awk '$3 != "<none>"' <<<"$vemtu")
[ -z "$names" ] || fail "Vemtu.dll imported by name: $names"

exports=$("$objdump" -p "$dll")
numbers=$(sed -n '/^Export Address Table -- Ordinal Base/,/^$/p' <<<"$exports" | grep -o '+base\[ *[0-9]*\]' | grep -o '[0-9]*' | tr '\n' ' ')
[ "$numbers" = "1 74 102 " ] || fail "Vemtu.dll exports numbers: $numbers"
named=$(sed -n '/^\[Ordinal\/Name Pointer\] Table/,/^$/p' <<<"$exports" | grep -v '^\[Ordinal' | grep -v '^$')
[ -z "$named" ] || fail "Vemtu.dll exports names: $named"

# The shipped exe stays small: msvcrt's own printf, no exception machinery.
size=$(stat -c %s "$exe")
[ "$size" -le 24576 ] || fail "$exe is $size bytes, over 24 KiB"

[ $failed = 0 ] && echo "$exe: PE32 console program importing Vemtu.dll ordinals 1 74 102 only"
exit $failed
