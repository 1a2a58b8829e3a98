#!/usr/bin/env bash
# Builds the source tree twice more, in two folders of different depth and
# name, with a different umask, time zone, locale and SOURCE_DATE_EPOCH, and
# checks that the shipped i686 exe and its simulator DLL, and the POSIX tool
# and library, come out byte for byte the same each time, and the same as
# the build the other tests use.
set -u
source=$1 i686_bin=$2 posix_bin=$3
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
failed=0
fail() { echo "FAIL: $*"; failed=1; }

copy_tree() { # destination
  mkdir -p "$1"
  tar -C "$source" --exclude=./build --exclude=./dist --exclude=./.git -cf - . | tar -C "$1" -xf -
}

build() { # tree umask TZ LC_ALL SOURCE_DATE_EPOCH
  (
    cd "$1" && umask "$2" &&
    export TZ=$3 LC_ALL=$4 SOURCE_DATE_EPOCH=$5 &&
    cmake --preset windows-i686 >/dev/null &&
    cmake --build --preset windows-i686 -j 2 >/dev/null &&
    cmake --preset default -DBUILD_TESTING=OFF >/dev/null &&
    cmake --build --preset default -j 2 --target ZelkSvc vemtu_simulator >/dev/null
  ) || fail "build in $1 failed"
}

a=$work/a
b=$work/second-folder/deeper/zelksvc-source-tree
copy_tree "$a"
copy_tree "$b"
build "$a" 022 UTC C.UTF-8 1700000000
build "$b" 077 Pacific/Auckland C 1800000000

same() { # file in the build tree; the same file elsewhere
  cmp "$a/$1" "$b/$1" || fail "$1 differs between two builds"
  cmp "$a/$1" "$2" || fail "$1 differs from the tested build $2"
}
same build/win-i686/bin/ZelkSvc.exe "$i686_bin/ZelkSvc.exe"
same build/win-i686/bin/Vemtu.dll "$i686_bin/Vemtu.dll"
same build/bin/ZelkSvc "$posix_bin/ZelkSvc"
same build/bin/libvemtu.so "$posix_bin/libvemtu.so"
for dir in "$a" "$b" "$source"; do
  grep -l -a -F "$dir" "$a/build/win-i686/bin/ZelkSvc.exe" "$a/build/win-i686/bin/Vemtu.dll" \
    "$a/build/bin/ZelkSvc" "$a/build/bin/libvemtu.so" && fail "a binary names the folder $dir"
done

[ $failed = 0 ] && echo "two builds in different folders gave identical ZelkSvc.exe, Vemtu.dll, ZelkSvc and libvemtu.so"
exit $failed
