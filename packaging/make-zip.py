#!/usr/bin/env python3
"""Writes a release zip: one folder holding the given files, in the order given.

The same files give the same bytes: every entry has the same time (the release day), fixed
attributes and no extra fields. The names are ASCII, so every zip reader (Explorer and the
Japanese ones alike) reads them the same without a UTF-8 flag. readme.txt is checked on the
way: it must name the version and stay UTF-8 with a byte-order mark and CR LF line ends, or
Notepad on older Windows shows it as one line or as mojibake.

usage: make-zip.py --output ZIP --folder NAME --version X.Y.Z --date YYYY-MM-DD FILE...
"""
import argparse
import os
import sys
import zipfile
from datetime import date

# MS-DOS attributes, as Windows itself writes them
ARCHIVE = 0x20
DIRECTORY = 0x10
MS_DOS = 0


def check_readme(path, version):
    data = open(path, "rb").read()
    problems = []
    bom = b"\xef\xbb\xbf"
    if not data.startswith(bom):
        problems.append("does not start with a UTF-8 byte-order mark")
    try:
        text = data.removeprefix(bom).decode("utf-8")
    except UnicodeDecodeError as e:
        problems.append(f"is not UTF-8 ({e})")
        text = ""
    if text.replace("\r\n", "").count("\n") or text.replace("\r\n", "").count("\r"):
        problems.append("has line ends other than CR LF")
    if not text.endswith("\r\n"):
        problems.append("does not end with CR LF")
    if version not in text:
        problems.append(f"does not name version {version}")
    return [f"{path} {p}" for p in problems]


def entry(name, time, attributes, compress):
    info = zipfile.ZipInfo(name, date_time=time)
    info.create_system = MS_DOS
    info.external_attr = attributes
    info.compress_type = compress
    return info


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("--output", required=True)
    parser.add_argument("--folder", required=True)
    parser.add_argument("--version", required=True)
    parser.add_argument("--date", required=True, type=date.fromisoformat)
    parser.add_argument("files", nargs="+")
    args = parser.parse_args()

    problems = []
    names = [os.path.basename(f) for f in args.files]
    for name in [args.folder] + names:
        if not name.isascii():
            problems.append(f"{name}: only ASCII names are read alike by every zip reader")
    if len(set(n.lower() for n in names)) != len(names):
        problems.append("two files of the same name (Windows ignores letter case)")
    for path, name in zip(args.files, names):
        if name.lower() == "readme.txt":
            problems += check_readme(path, args.version)
    if problems:
        for p in problems:
            print(f"make-zip: {p}", file=sys.stderr)
        return 1

    # Every entry carries the release day (zip times are a wall clock, without a zone).
    time = (args.date.year, args.date.month, args.date.day, 12, 0, 0)
    # Written beside the target and moved over it: a failed run leaves no half zip.
    partial = args.output + ".partial"
    with zipfile.ZipFile(partial, "w") as out:
        out.writestr(entry(args.folder + "/", time, DIRECTORY, zipfile.ZIP_STORED), b"")
        for path, name in zip(args.files, names):
            with open(path, "rb") as f:
                data = f.read()
            out.writestr(entry(f"{args.folder}/{name}", time, ARCHIVE, zipfile.ZIP_DEFLATED), data,
                         compresslevel=9)
    os.replace(partial, args.output)
    return 0


if __name__ == "__main__":
    sys.exit(main())
