#!/usr/bin/env python3
"""Release helpers: byte-reproducible archives and the MATLAB help files.

  release.py pack zip|tar.gz STAGE OUT DATE
      Packs every file under STAGE (one top folder) into OUT: entries
      sorted, times fixed at DATE (YYYY-MM-DD), modes 644 for files and
      755 for folders, no owners, so the same files give the same bytes.
  release.py matlab-help IN OUT
      The help file without its Octave test and demo blocks (the lines
      from the first "%!" on): MATLAB shows the first comment block.
"""
import gzip
import io
import os
import sys
import tarfile
import zipfile


def members(stage):
    """(archive name, path) of every folder and file under stage, sorted."""
    entries = []
    for root, dirs, files in os.walk(stage):
        dirs.sort()
        rel = os.path.relpath(root, stage)
        if rel != ".":
            entries.append((rel.replace(os.sep, "/") + "/", root))
        for name in sorted(files):
            path = os.path.join(root, name)
            arc = os.path.relpath(path, stage).replace(os.sep, "/")
            entries.append((arc, path))
    return sorted(entries)


def pack_zip(stage, out, date):
    with zipfile.ZipFile(out, "w") as archive:
        for arc, path in members(stage):
            info = zipfile.ZipInfo(arc, date_time=date + (0, 0, 0))
            info.create_system = 3  # Unix, so that the modes below are read
            if arc.endswith("/"):
                info.external_attr = (0o40755 << 16) | 0x10
                archive.writestr(info, b"")
            else:
                info.external_attr = 0o100644 << 16
                info.compress_type = zipfile.ZIP_DEFLATED
                with open(path, "rb") as f:
                    archive.writestr(info, f.read(), compresslevel=9)


def pack_tar_gz(stage, out, date):
    import calendar
    mtime = calendar.timegm(date + (0, 0, 0))
    buffer = io.BytesIO()
    with tarfile.open(fileobj=buffer, mode="w", format=tarfile.USTAR_FORMAT) as archive:
        for arc, path in members(stage):
            info = tarfile.TarInfo(arc.rstrip("/"))
            info.mtime = mtime
            info.uid = info.gid = 0
            info.uname = info.gname = ""
            if arc.endswith("/"):
                info.type = tarfile.DIRTYPE
                info.mode = 0o755
                archive.addfile(info)
            else:
                info.mode = 0o644
                with open(path, "rb") as f:
                    data = f.read()
                info.size = len(data)
                archive.addfile(info, io.BytesIO(data))
    with open(out, "wb") as f:
        # No file name and time 0 in the gzip header.
        with gzip.GzipFile(filename="", mode="wb", fileobj=f, mtime=0,
                           compresslevel=9) as gz:
            gz.write(buffer.getvalue())


def matlab_help(source, out):
    with open(source, encoding="utf-8") as f:
        lines = f.read().split("\n")
    kept = []
    for line in lines:
        if line.startswith("%!"):
            break
        kept.append(line)
    while kept and not kept[-1].strip():
        kept.pop()
    with open(out, "w", encoding="utf-8", newline="\n") as f:
        f.write("\n".join(kept) + "\n")


def main(argv):
    if len(argv) == 6 and argv[1] == "pack":
        fmt, stage, out = argv[2], argv[3], argv[4]
        date = tuple(int(part) for part in argv[5].split("-"))
        if fmt == "zip":
            pack_zip(stage, out, date)
        elif fmt == "tar.gz":
            pack_tar_gz(stage, out, date)
        else:
            sys.exit("unknown format: " + fmt)
    elif len(argv) == 4 and argv[1] == "matlab-help":
        matlab_help(argv[2], argv[3])
    else:
        sys.exit(__doc__)


if __name__ == "__main__":
    main(sys.argv)
