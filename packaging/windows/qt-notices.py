#!/usr/bin/env python3
"""Writes the notices of the third-party code inside the shipped Qt libraries
(Qt6Core, Qt6Gui, Qt6Widgets and the windows and style plugins) from Debian's
machine-readable copyright file of qt6-base, the source the Qt for MinGW is
built from:

    python3 packaging/windows/qt-notices.py /usr/share/doc/libqt6core6/copyright \
        > packaging/windows/licenses/qt-third-party.txt
"""
import sys

# The source files of Qt's own code and of the bundled libraries compiled into
# those libraries for 64-bit Windows (libjpeg, forkfd, xcb, pixman and the
# wasm fonts are not: other plugins, other systems).
SHIPPED = [
    ("Qt", "*"),
    ("Unicode data", "src/corelib/text/qunicodetables.cpp"),
    ("double-conversion", "src/3rdparty/double-conversion/*"),
    ("Easing equations", "src/3rdparty/easing/*"),
    ("FreeType", "src/3rdparty/freetype/*"),
    ("FreeType (BDF and PCF drivers)", "src/3rdparty/freetype/src/pcf/*"),
    ("FreeType (PCF utilities)", "src/3rdparty/freetype/src/pcf/pcfutil.c"),
    ("FreeType (BDF driver, hash)", "src/3rdparty/freetype/src/bdf/*"),
    ("zlib (in Qt Core and FreeType's gzip module)", "src/3rdparty/freetype/src/gzip/*"),
    ("HarfBuzz", "src/3rdparty/harfbuzz-ng/*"),
    ("HarfBuzz (Unicode functions)", "src/3rdparty/harfbuzz-ng/src/hb-ucd.cc"),
    ("sRGB colour profile", "src/3rdparty/icc/sRGB2014.icc"),
    ("libpng", "src/3rdparty/libpng/*.c"),
    ("MD4 and MD5", "src/3rdparty/md4/*"),
    ("md4c", "src/3rdparty/md4c/*"),
    ("PCRE2", "src/3rdparty/pcre2/src/*"),
    ("PCRE2 (sljit)", "src/3rdparty/pcre2/src/sljit/*"),
    ("SHA-2 (RFC 6234)", "src/3rdparty/rfc6234/*"),
    ("SHA-1", "src/3rdparty/sha1/sha1.cpp"),
    ("SHA-3 (Keccak)", "src/3rdparty/sha3/*"),
    ("SHA-3 (byte order)", "src/3rdparty/sha3/brg_endian.h"),
    ("TinyCBOR", "src/3rdparty/tinycbor/*"),
]


def paragraphs(text):
    block = []
    for line in text.splitlines():
        if line.strip() == "":
            if block:
                yield block
            block = []
        elif not line.startswith("#"):
            block.append(line)
    if block:
        yield block


def fields(block):
    result, name = {}, None
    for line in block:
        if line[:1] in (" ", "\t") and name:
            result[name].append(line[1:])
        else:
            name, _, value = line.partition(":")
            result[name] = [value.strip()] if value.strip() else []
    return result


def main():
    text = open(sys.argv[1], encoding="utf-8").read()
    files, licences = [], {}
    for block in paragraphs(text):
        f = fields(block)
        if "Files" in f:
            files.append(f)
        elif "License" in f and "Format" not in f:
            licences[f["License"][0]] = f["License"][1:]
    out = ["Third-party code in the Qt libraries shipped with this program",
           "(Qt6Core.dll, Qt6Gui.dll, Qt6Widgets.dll, platforms\\qwindows.dll,",
           "styles\\qwindowsvistastyle.dll), as Debian's copyright file of its source",
           "package qt6-base 6.4.2+dfsg-10 states it. The full licence texts follow",
           "the list.", ""]
    needed = []
    for title, pattern in SHIPPED:
        entry = next(f for f in files if pattern in " ".join(f["Files"]).split())
        licence = entry["License"][0]
        out += [title, "  Files: " + pattern]
        out += ["  Copyright: " + c.strip() for c in entry.get("Copyright", [])]
        out += ["  License: " + licence]
        out += ["  " + line for line in entry["License"][1:]]
        out.append("")
        for part in licence.replace(" or ", " and ").replace("with", "and").split(" and "):
            name = part.strip()
            if name in licences and name not in needed:
                needed.append(name)
    out += ["", "Licence texts", "============="]
    for name in needed:
        out += ["", "License: " + name, ""]
        out += ["" if line == "." else line for line in licences[name]]
    sys.stdout.write("\n".join(out) + "\n")


main()
