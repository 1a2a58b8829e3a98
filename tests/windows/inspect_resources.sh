#!/usr/bin/env bash
# Reads the shipped exe's resources back as deployment tools and Windows see
# them: the version block made from the project's version, and a manifest
# that runs the tool as its caller (no elevation prompt) on Vista to 11 and
# leaves code page and path length to the system. The simulator DLL's own
# version block must say that it is the simulator.
set -u
windres=$1 exe=$2 dll=$3 version=$4
failed=0
fail() { echo "FAIL: $*"; failed=1; }

# x.y becomes x.y.0.0 and x,y,0,0 (the form windres prints: "x, y, 0, 0").
IFS=. read -r major minor patch tweak <<<"$version"
four="$major.$minor.${patch:-0}.${tweak:-0}"
commas="$major, $minor, ${patch:-0}, ${tweak:-0}"

# One resource script per file; a line per check, exactly as windres prints it.
expect() { # file text description
  grep -qxF -- "$2" <<<"$1" || fail "$3: no line '$2'"
}

rc=$("$windres" -i "$exe" -J coff -O rc) || fail "windres cannot read $exe"
expect "$rc" " FILEVERSION $commas" "exe"
expect "$rc" " PRODUCTVERSION $commas" "exe"
expect "$rc" " FILETYPE 0x1" "exe (VFT_APP)"
expect "$rc" '    BLOCK "040904B0"' "exe (US English, UTF-16)"
expect "$rc" '    VALUE "Translation", 0x409, 1200' "exe"
expect "$rc" "      VALUE \"FileVersion\", \"$four\"" "exe"
expect "$rc" "      VALUE \"ProductVersion\", \"$four\"" "exe"
expect "$rc" '      VALUE "OriginalFilename", "ZelkSvc.exe"' "exe"
expect "$rc" '      VALUE "InternalName", "ZelkSvc"' "exe"
expect "$rc" '      VALUE "ProductName", "ZelkSvc"' "exe"
grep -q '      VALUE "FileDescription", "ZELK service utility"' <<<"$rc" || fail "exe: FileDescription"
grep -q '      VALUE "LegalCopyright", "Copyright' <<<"$rc" || fail "exe: LegalCopyright"
# Windows' installer detection looks for these words in the description.
grep -i 'VALUE "FileDescription".*\(install\|setup\|update\|patch\)' <<<"$rc" &&
  fail "exe: FileDescription has a word Windows takes for an installer"

# The manifest: resource 1 of type 24, one resource of that type only.
[ "$(grep -c '^1 24 /\* RT_MANIFEST \*/$' <<<"$rc")" = 1 ] || fail "exe: no single manifest with ID 1"
[ "$(grep -c 'RT_MANIFEST' <<<"$rc")" = 1 ] || fail "exe: more than one manifest"
manifest=$(sed -n '/^1 24 \/\* RT_MANIFEST \*\/$/,/^END$/p' <<<"$rc" | sed 's/""/"/g')
grep -q 'requestedExecutionLevel level="asInvoker" uiAccess="false"' <<<"$manifest" ||
  fail "exe: manifest does not ask for asInvoker without uiAccess"
for os in e2011457-1546-43c5-a5fe-008deee3d3f0 35138b9a-5d96-4fbd-8e2d-a2440225f93a \
          4a2f28e3-53b9-4441-ba9c-d69d4a4a6e38 1f676c76-80e1-4239-95bb-83d0f6d0da78 \
          8e0f7a12-bfb3-4fe8-b9a5-48fd50a15a9a; do
  grep -q "supportedOS Id=\"{$os}\"" <<<"$manifest" || fail "exe: manifest lacks supportedOS $os"
done
for setting in activeCodePage longPathAware; do
  grep -qi "$setting" <<<"$manifest" && fail "exe: manifest sets $setting"
done

rc=$("$windres" -i "$dll" -J coff -O rc) || fail "windres cannot read $dll"
expect "$rc" " FILEVERSION $commas" "dll"
expect "$rc" " FILETYPE 0x2" "dll (VFT_DLL)"
expect "$rc" '      VALUE "OriginalFilename", "Vemtu.dll"' "dll"
grep -q 'VALUE "FileDescription", "Vemtu device simulator.*not for a real PC"' <<<"$rc" ||
  fail "dll: FileDescription does not say it is the simulator"
grep -q 'RT_MANIFEST' <<<"$rc" && fail "dll: carries a manifest"

[ $failed = 0 ] && echo "$exe: version $four, asInvoker manifest; $dll: the simulator, version $four"
exit $failed
