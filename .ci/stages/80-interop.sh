#!/usr/bin/env bash
# GPX, KML and GeoJSON from the coordinate text with the tools users have: Debian's
# gpsbabel (with share/trb2asc/trb2asc.style) and gdal-bin (ogr2ogr), run as the README
# says. On the sample and on an edge track (negative values, -0.0, values that round to
# one millionth, +-359.999999, dropped records) every kept point must come back with the
# same six-decimal longitude and latitude and its record number.
set -euo pipefail
cd "$(dirname "$0")/../.."
root=$(pwd)
export DEBIAN_FRONTEND=noninteractive

apt-get update
apt-get install -y --no-install-recommends cmake ninja-build g++ gpsbabel gdal-bin python3
gpsbabel -V | sed -n '/./{p;q}'
ogr2ogr --version

cmake --workflow --preset release
style="$root/share/trb2asc/trb2asc.style"
check="$root/tests/interop_check.py"
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

mkdir "$work/sample" "$work/edge"
build/release/make_sample_track "$work/sample/ceTrackTail.trb"
build/release/make_edge_track "$work/edge/ceTrackTail.trb"

for track in sample edge; do
  echo "== $track track"
  cd "$work/$track"
  "$root/build/release/trb2asc" -quiet </dev/null
  [ -s VexaTrackTail.asc ] || { echo "no coordinate text"; exit 1; }
  # GPX and KML hold only points on the globe: GPSBabel stops at a latitude beyond 90
  # and wraps a longitude beyond 180, so those points are left out of its input.
  awk -F' , ' '$1 >= -180 && $1 <= 180 && $2 >= -90 && $2 <= 90' VexaTrackTail.asc >globe.asc
  gpsbabel -i xcsv,style="$style" -f globe.asc -x transform,trk=wpt,del -o gpx -F track.gpx
  gpsbabel -i xcsv,style="$style" -f globe.asc -x transform,trk=wpt,del -o kml -F track.kml
  ogr2ogr -f GeoJSON track.geojson CSV:VexaTrackTail.asc \
    -oo HEADERS=NO -oo X_POSSIBLE_NAMES=field_1 -oo Y_POSSIBLE_NAMES=field_2 \
    -oo KEEP_GEOM_COLUMNS=NO -dialect SQLite \
    -sql 'SELECT CAST(field_3 AS INTEGER) AS record, geometry FROM VexaTrackTail'
  python3 "$check" VexaTrackTail.asc gpx track.gpx --on-globe
  python3 "$check" VexaTrackTail.asc kml track.kml --on-globe
  python3 "$check" VexaTrackTail.asc geojson track.geojson
  # The GPX is a track, not loose waypoints.
  grep -q '<trkpt ' track.gpx && ! grep -q '<wpt ' track.gpx
done

# The edge track really holds what it is for: off-globe points, gaps and negative zero.
cd "$work/edge"
[ "$(wc -l <VexaTrackTail.asc)" -gt "$(wc -l <globe.asc)" ] || { echo "no off-globe point"; exit 1; }
grep -q '^-0\.000000 , -0\.000000 , "2"' VexaTrackTail.asc
grep -q '"4"' VexaTrackTail.asc && ! grep -q '"5"' VexaTrackTail.asc
grep -q '^359\.999999 , 359\.999999 ' VexaTrackTail.asc
grep -q '^-359\.999999 , -359\.999999 ' VexaTrackTail.asc
echo "interop: GPX, KML and GeoJSON give back every point of the sample and the edge track"
