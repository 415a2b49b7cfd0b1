#!/usr/bin/env python3
"""Gathers the notices of the parts of others that a Qt build carries.

    qt-notices.py QTBASE_SOURCE NINJA_DEPS OUT

QTBASE_SOURCE is the qtbase source tree the build was made from; NINJA_DEPS is what
`ninja -t deps` printed for that build (every object with the files the compiler read for
it); OUT is the folder to fill. Qt's qt_attribution.json files say which files of the tree
are whose. A part counts as carried when the compiler read one of its files for an object
that goes into what is shipped (the test library's objects aside, which no download holds).
For each such part OUT/<Id>/ gets attribution.json (the part's entry) and its licence
files, and OUT/bundled.txt lists the ids, one per line.
"""
import json
import os
import re
import shutil
import sys


def read_files(deps_path):
    """The files read for the objects that are shipped, as real paths."""
    files, shipped = set(), False
    with open(deps_path, encoding="utf-8", errors="replace") as deps:
        for line in deps:
            if not line.strip():
                continue
            if not line[0].isspace():
                target = line.split(":", 1)[0]
                shipped = "/src/testlib/" not in "/" + target
                continue
            if shipped:
                files.add(os.path.realpath(line.strip()))
    return files


def entries(source):
    for folder, _, names in os.walk(os.path.join(source, "src")):
        if "qt_attribution.json" not in names or "/src/testlib" in folder:
            continue
        with open(os.path.join(folder, "qt_attribution.json"), encoding="utf-8") as f:
            data = json.loads(f.read(), strict=False)
        for entry in data if isinstance(data, list) else [data]:
            yield folder, entry


def covered(folder, entry):
    """The paths an entry speaks for: files, or folders standing for all below them."""
    base = os.path.realpath(os.path.join(folder, entry.get("Path", "")))
    listed = [t for t in re.split(r"[\s,]+", entry.get("Files", "")) if t]
    named = [os.path.realpath(os.path.join(folder, t)) for t in listed]
    if named and all(os.path.exists(p) for p in named):
        return named
    return [base]


def carried(paths, files):
    for path in paths:
        if os.path.isdir(path):
            prefix = path + os.sep
            if any(f.startswith(prefix) for f in files):
                return True
        elif path in files:
            return True
    return False


def main():
    source, deps_path, out = sys.argv[1:4]
    files = read_files(deps_path)
    if not files:
        sys.exit("qt-notices: no files in " + deps_path)
    shutil.rmtree(out, ignore_errors=True)
    os.makedirs(out)
    ids = []
    for folder, entry in entries(source):
        if not carried(covered(folder, entry), files):
            continue
        ident = entry["Id"]
        target = os.path.join(out, ident)
        os.makedirs(target)
        with open(os.path.join(target, "attribution.json"), "w", encoding="utf-8") as f:
            json.dump(entry, f, indent=2, ensure_ascii=False)
            f.write("\n")
        licences = entry.get("LicenseFiles") or ([entry["LicenseFile"]] if "LicenseFile" in entry else [])
        for licence in licences:
            shutil.copy(os.path.join(folder, licence), target)
        ids.append(ident)
    with open(os.path.join(out, "bundled.txt"), "w", encoding="utf-8") as f:
        f.write("".join(i + "\n" for i in sorted(ids)))
    print("qt-notices: " + " ".join(sorted(ids)))


if __name__ == "__main__":
    main()
