#!/usr/bin/env python3
"""check_release.py DIST VERSION DATE SOURCE_DIR

Reads the release back as a user's tools do (zipfile, tarfile): the member
list of every archive (the documented files, nothing stray, no build paths),
help files that are comment only, Contents.m's version line, the license,
and that packing the same files again gives the same bytes.
"""
import io
import os
import subprocess
import sys
import tarfile
import tempfile
import time
import zipfile

failures = []
passes = []


def check(ok, what):
    print(("PASS " if ok else "FAIL ") + what)
    (passes if ok else failures).append(what)


def comment_only(text):
    """True when a MATLAB parser finds nothing to run: every line blank or a
    % comment, and no block comment left open."""
    depth = 0
    for line in text.split("\n"):
        stripped = line.strip()
        if stripped == "%{":
            depth += 1
        elif stripped == "%}":
            depth -= 1
        elif stripped and not stripped.startswith("%") and depth == 0:
            return False
    return depth == 0


MATLAB_ARCHIVES = {
    "maca64": ["quorvane.mexmaca64", "boot.mexmaca64"],
    "win32": ["quorvane.mexw32"],
    "win64": ["quorvane.mexw64", "boot.mexw64"],
    "glnxa64": ["quorvane.mexa64", "boot.mexa64"],
}


def check_matlab(dist, version, date, license_text):
    top = "quorvane-%s/" % version
    for platform, modules in MATLAB_ARCHIVES.items():
        name = "quorvane-%s-%s.zip" % (version, platform)
        path = os.path.join(dist, name)
        if not os.path.exists(path):
            check(False, name + " exists")
            continue
        with zipfile.ZipFile(path) as archive:
            check(archive.testzip() is None, name + ": every CRC matches")
            names = archive.namelist()
            functions = [m.split(".")[0] for m in modules]
            expected = sorted([top] + [top + f for f in
                               modules + [f + ".m" for f in functions] +
                               ["Contents.m", "LICENSE", "README.txt"]])
            check(names == expected,
                  "%s: members %s" % (name, " ".join(n[len(top):] for n in names)))
            for info in archive.infolist():
                check(info.date_time[:3] == date, "%s: %s dated %s" %
                      (name, info.filename, "-".join(map(str, date))))
            for f in functions:
                text = archive.read(top + f + ".m").decode("utf-8")
                check(comment_only(text), "%s: %s.m is comment only" % (name, f))
                check(text.startswith("% " + f.upper() + " "),
                      "%s: %s.m starts with its H1 line" % (name, f))
            contents = archive.read(top + "Contents.m").decode("utf-8")
            lines = contents.split("\n")
            check(comment_only(contents), name + ": Contents.m is comment only")
            check(lines[1].startswith("%% Version %s " % version),
                  name + ": Contents.m version line " + lines[1])
            listed = [l.split()[1] for l in lines if l.startswith("%   ")]
            check(listed == functions, name + ": Contents.m lists " + " ".join(listed))
            check(archive.read(top + "LICENSE").decode("utf-8") == license_text,
                  name + ": LICENSE is the project's")


def check_octave(dist, version, source_dir, license_text):
    top = "quorvane-%s/" % version
    name = "quorvane-%s.tar.gz" % version
    path = os.path.join(dist, name)
    if not os.path.exists(path):
        check(False, name + " exists")
        return
    with tarfile.open(path) as archive:
        members = archive.getmembers()
        names = [m.name + ("/" if m.isdir() else "") for m in members]
        check(all(n.startswith(top) for n in names), name + ": one top folder")
        check(all(m.uid == 0 and m.gid == 0 and m.uname == "" for m in members),
              name + ": no owners recorded")
        files = set(n[len(top):] for n in names if not n.endswith("/"))
        required = {"DESCRIPTION", "COPYING", "INDEX", "NEWS", "CITATION",
                    "build_quorvane.m", "inst/quorvane.m", "inst/boot.m",
                    "inst/demo_bootstrap.m", "src/Makefile",
                    "src/host/mex_api.h", "src/host/convert.h",
                    "src/quorvane/quorvane.cpp", "src/boot/boot.cpp"}
        check(required <= files, name + ": holds " + " ".join(sorted(required)))
        stray = [f for f in files if f not in required and not (
            f.startswith("src/") and f.endswith((".cpp", ".h")))]
        check(not stray, name + ": nothing stray " + " ".join(stray))
        # Every source of the tree's function folders, and no build output.
        for folder in ("host", "quorvane", "boot"):
            for f in os.listdir(os.path.join(source_dir, folder)):
                if f.endswith((".cpp", ".h")):
                    check("src/%s/%s" % (folder, f) in files,
                          "%s: src/%s/%s" % (name, folder, f))
        read = lambda f: archive.extractfile(top + f).read().decode("utf-8")
        description = dict(line.split(": ", 1) for line in read("DESCRIPTION").split("\n")
                           if line and not line.startswith(" "))
        for key in ("Name", "Version", "Date", "Author", "Maintainer", "Title",
                    "Description", "License", "Categories"):
            check(key in description, name + ": DESCRIPTION has " + key)
        check(description.get("Name") == "quorvane" and
              description.get("Version") == version,
              name + ": DESCRIPTION names quorvane " + version)
        check(read("COPYING") == license_text, name + ": COPYING is the license")
        check(("quorvane " + version) in read("NEWS"), name + ": NEWS names " + version)
        check(("version " + version) in read("CITATION"),
              name + ": CITATION names " + version)
        for f in ("quorvane", "boot"):
            text = read("inst/%s.m" % f)
            check("\n%!test" in text or "\n%!assert" in text,
                  "%s: inst/%s.m carries its tests" % (name, f))


def check_reproducible(dist, stage_dir, release_py, date_text):
    """Packs the staged folders again after touching every file: the bytes
    must not change."""
    with tempfile.TemporaryDirectory() as scratch:
        for stage in sorted(os.listdir(stage_dir)):
            if not stage.endswith(".stage"):
                continue
            archive = stage[:-len(".stage")]
            fmt = "tar.gz" if archive.endswith(".tar.gz") else "zip"
            root = os.path.join(stage_dir, stage)
            later = time.time() + 3600
            for folder, _, files in os.walk(root):
                for f in files:
                    os.utime(os.path.join(folder, f), (later, later))
            again = os.path.join(scratch, archive)
            subprocess.run([sys.executable, release_py, "pack", fmt, root, again,
                            date_text], check=True)
            with open(again, "rb") as a, open(os.path.join(dist, archive), "rb") as b:
                check(a.read() == b.read(), archive + ": packed again, same bytes")


def main(argv):
    if len(argv) != 6:
        sys.exit(__doc__)
    dist, version, date_text, source_dir, stage_dir = argv[1:]
    date = tuple(int(p) for p in date_text.split("-"))
    with open(os.path.join(source_dir, "LICENSE"), encoding="utf-8") as f:
        license_text = f.read()
    check_matlab(dist, version, date, license_text)
    check_octave(dist, version, source_dir, license_text)
    check_reproducible(dist, stage_dir,
                       os.path.join(source_dir, "packaging", "release.py"), date_text)
    print("%d checks passed, %d failed" % (len(passes), len(failures)))
    return 1 if failures else 0


if __name__ == "__main__":
    sys.exit(main(sys.argv))
