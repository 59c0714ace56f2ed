#!/usr/bin/env bash
# Builds the .tar.gz and .deb, checks what they hold, runs lintian on the .deb (any error
# or warning fails), installs it into a temporary root and converts the sample with the
# installed trb2asc: its console output and coordinate file must match those of the
# release build. Then removes it again.
set -euo pipefail
cd "$(dirname "$0")/../.."
root=$(pwd)
export DEBIAN_FRONTEND=noninteractive

apt-get update
apt-get install -y cmake ninja-build g++ dpkg-dev groff-base gzip lintian musl-tools binutils

fail() {
  echo "package check failed: $*" >&2
  exit 1
}

cmake --workflow --preset package
version=$(sed -n 's/^project(trb2asc VERSION \([0-9.]*\).*/\1/p' CMakeLists.txt)
[ -n "$version" ] || fail "no version in CMakeLists.txt"
packages=build/release/packages
deb=$(ls "$packages"/trb2asc_"$version"_*.deb)
tarball=$(ls "$packages"/trb2asc-"$version"-*.tar.gz)

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

# What the packages hold: the program, its manual page, the GPSBabel style, the licence
# and changelog; the lintian override in the .deb alone.
[ "$(dpkg-deb -f "$deb" Package)" = trb2asc ] || fail "package name"
[ "$(dpkg-deb -f "$deb" Version)" = "$version" ] || fail "package version"
common=$'share/doc/trb2asc/changelog.gz\nshare/doc/trb2asc/copyright\nshare/man/man1/trb2asc.1.gz\nshare/trb2asc/trb2asc.style'
expected=$(printf 'bin/trb2asc\n%s\nshare/lintian/overrides/trb2asc\n' "$common" | sed 's|^|./usr/|' | sort)
held=$(dpkg-deb -c "$deb" | awk '$1 !~ /^d/ { print $6 }' | sort)
[ "$held" = "$expected" ] || fail "the .deb holds: $held"
expected=$(printf 'bin/trb2asc\n%s\n' "$common" | sort)
held=$(tar tzf "$tarball" | grep -v '/$' | sed 's|^[^/]*/||' | sort)
[ "$held" = "$expected" ] || fail "the .tar.gz holds: $held"

# Debian's own judgement of the .deb: errors and warnings fail, informational tags may
# stay. The static binary's override must be in use (a stale one would go unnoticed).
lintian --version
lintian --fail-on error,warning --display-info "$deb"
lintian --fail-on none --show-overrides --tags statically-linked-binary "$deb" 2>&1 |
  grep -q '^O: trb2asc: statically-linked-binary' || fail "lintian did not use the static-binary override"
# The changelog's latest entry is this version, by this maintainer.
dpkg-deb --fsys-tarfile "$deb" | tar xO ./usr/share/doc/trb2asc/changelog.gz | gzip -dc >"$work/changelog"
head -n 1 "$work/changelog" | grep -q "^trb2asc ($version) " || fail "changelog does not start at $version"
maintainer=$(dpkg-deb -f "$deb" Maintainer)
grep -m 1 '^ -- ' "$work/changelog" | grep -qF -- " -- $maintainer  " ||
  fail "changelog signed by another than $maintainer"

# A real installation, into a temporary root with its own package database.
mkdir -p "$work/root/var/lib/dpkg/info" "$work/root/var/lib/dpkg/updates"
touch "$work/root/var/lib/dpkg/status"
dpkg --root="$work/root" --log=/dev/null -i "$deb"
dpkg --root="$work/root" -s trb2asc | grep -q '^Status: install ok installed' ||
  fail "the .deb did not install"
program="$work/root/usr/bin/trb2asc"
page="$work/root/usr/share/man/man1/trb2asc.1.gz"
[ -x "$program" ] || fail "trb2asc not executable"
if readelf -l "$program" | grep -q INTERP; then
  fail "the packaged trb2asc is dynamically linked"
fi
# It is the musl release build, the one the release stage tests, stripped: no glibc in it.
grep -q '^TRB2ASC_MUSL_BUILD:INTERNAL=ON$' build/release/CMakeCache.txt ||
  fail "the release was not configured against musl"
if readelf -n "$program" | grep -q NT_GNU_ABI_TAG || grep -qa GLIBC_ "$program"; then
  fail "the packaged trb2asc carries glibc"
fi
strip -o "$work/release-trb2asc" build/release/trb2asc
cmp "$program" "$work/release-trb2asc" || fail "the packaged trb2asc is not the release build"
tar xzf "$tarball" -C "$work" --wildcards '*/bin/trb2asc'
cmp "$work"/trb2asc-"$version"-*/bin/trb2asc "$program" || fail "the .tar.gz holds another trb2asc"
warnings=$(gzip -dc "$page" | groff -man -ww -z 2>&1)
[ -z "$warnings" ] || fail "manual page warnings: $warnings"
gzip -dc "$page" | grep -q "^\.TH TRB2ASC 1 .*\"trb2asc $version\"" || fail "manual page version"

# cmake --install puts the files of the .tar.gz in the usual places.
cmake --install build/release --prefix "$work/prefix" >/dev/null
held=$(cd "$work/prefix" && find . -type f | sed 's|^\./||' | sort)
[ "$held" = "$(printf 'bin/trb2asc\n%s\n' "$common" | sort)" ] || fail "cmake --install gave: $held"

# The packaged program converts the sample as the release build does. setsid leaves no
# terminal, so the final pause of the normal run returns at once.
convert() {
  mkdir -p "$work/$1"
  cp examples/ceTrackTail.trb "$work/$1/"
  (cd "$work/$1" && "$2" -quiet </dev/null >quiet.out &&
    setsid -w "$2" </dev/null >normal.out && setsid -w "$2" out.asc </dev/null >named.out)
}
convert packaged "$program"
convert built "$root/build/release/trb2asc"
for file in quiet.out normal.out named.out VexaTrackTail.asc out.asc; do
  cmp "$work/packaged/$file" "$work/built/$file" || fail "$file differs from the release build"
done
[ ! -s "$work/packaged/quiet.out" ] || fail "a quiet run printed something"
[ -s "$work/packaged/VexaTrackTail.asc" ] || fail "no coordinate text written"
if grep -q "$version" "$work/packaged/normal.out"; then
  fail "the version shows in a conversion's output"
fi
[ "$("$program" --version)" = "trb2asc $version"$'\r' ] || fail "--version does not say $version"
dpkg --root="$work/root" --log=/dev/null -r trb2asc
[ ! -e "$program" ] && [ ! -e "$page" ] || fail "removing the package left its files"
echo "packages checked: $(basename "$deb"), $(basename "$tarball")"
