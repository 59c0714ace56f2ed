#!/usr/bin/env python3
"""Checks that a GPX, KML or GeoJSON file made from trb2asc's coordinate text holds every
kept point again, in order, with the same six-decimal longitude and latitude and its
record number. Numbers are compared as decimal text, never as binary floats.

Usage: interop_check.py ASC_FILE FORMAT CONVERTED_FILE [--on-globe]
FORMAT is gpx, kml or geojson. With --on-globe only the points with a longitude in
[-180, 180] and a latitude in [-90, 90] are expected (what GPX and KML tools accept).
"""
import json
import sys
import xml.etree.ElementTree as ElementTree
from decimal import Decimal, InvalidOperation

MILLIONTH = Decimal("0.000001")


def six_decimals(text):
    """The number as six-decimal text; None when it has more digits than that. The sign
    of zero is not kept: GPX and KML writers print -0.0 as 0, and it is the same point."""
    try:
        value = Decimal(text.strip())
    except InvalidOperation:
        return None
    if not value.is_finite() or value.quantize(MILLIONTH) != value:
        return None
    if value == 0:
        value = Decimal(0)
    return format(value.quantize(MILLIONTH), "f")


def asc_points(path):
    points = []
    with open(path, "rb") as source:
        data = source.read().decode("ascii")
    if data and not data.endswith("\r\n"):
        raise SystemExit(f"{path}: the last line has no CR LF")
    for line in data.split("\r\n")[:-1]:
        longitude, latitude, number = line.split(" , ")
        if not (number.startswith('"') and number.endswith('"')):
            raise SystemExit(f"{path}: record number not quoted: {line!r}")
        points.append((number[1:-1], six_decimals(longitude), six_decimals(latitude)))
    return points


def local_name(element):
    return element.tag.rsplit("}", 1)[-1]


def child_text(element, name):
    for child in element:
        if local_name(child) == name:
            return (child.text or "").strip()
    return None


def gpx_points(path):
    points = []
    for element in ElementTree.parse(path).iter():
        if local_name(element) in ("trkpt", "wpt", "rtept"):
            points.append((child_text(element, "name"), six_decimals(element.get("lon")),
                           six_decimals(element.get("lat"))))
    return points


def kml_points(path):
    points = []
    for placemark in ElementTree.parse(path).iter():
        if local_name(placemark) != "Placemark":
            continue
        for element in placemark.iter():
            if local_name(element) == "Point":
                values = child_text(element, "coordinates").split(",")
                points.append((child_text(placemark, "name"), six_decimals(values[0]),
                               six_decimals(values[1])))
    return points


def geojson_points(path):
    with open(path, encoding="utf-8") as source:
        # Numbers stay text: a float would hide a digit the writer changed.
        document = json.load(source, parse_float=str, parse_int=str)
    points = []
    for feature in document["features"]:
        longitude, latitude = feature["geometry"]["coordinates"][:2]
        points.append((feature["properties"]["record"], six_decimals(longitude),
                       six_decimals(latitude)))
    return points


def on_globe(point):
    _, longitude, latitude = point
    return abs(Decimal(longitude)) <= 180 and abs(Decimal(latitude)) <= 90


def main(arguments):
    if len(arguments) not in (3, 4) or arguments[1] not in ("gpx", "kml", "geojson"):
        raise SystemExit(__doc__)
    asc, form, converted = arguments[:3]
    expected = asc_points(asc)
    if "--on-globe" in arguments[3:]:
        expected = [point for point in expected if on_globe(point)]
    if not expected:
        raise SystemExit(f"{asc}: no points to compare")
    got = {"gpx": gpx_points, "kml": kml_points, "geojson": geojson_points}[form](converted)
    if got != expected:
        print(f"{converted}: {len(got)} points, {len(expected)} expected", file=sys.stderr)
        for index in range(max(len(got), len(expected))):
            want = expected[index] if index < len(expected) else None
            have = got[index] if index < len(got) else None
            if want != have:
                print(f"  point {index + 1}: expected {want}, got {have}", file=sys.stderr)
        return 1
    print(f"{converted}: all {len(expected)} points back, same six decimals and record numbers")
    return 0


if __name__ == "__main__":
    sys.exit(main(sys.argv[1:]))
