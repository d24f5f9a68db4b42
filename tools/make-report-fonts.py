#!/usr/bin/python3
# SPDX-FileCopyrightText: 2026 Vondrel authors
# SPDX-License-Identifier: MIT
"""Derives the report faces "Vondrel Song" and "Vondrel Hei" from Noto Serif/Sans CJK SC.

Why: Qt writes a PDF's ToUnicode map by reversing the font's cmap and keeps the lowest code point
of every glyph. Noto maps the Kangxi radicals (U+2F00..) and CJK radical supplements (U+2E80..) to the
very glyphs of common hanzi, so 月, 页, 一, 人 ... would extract from our PDFs as radicals and users
could not search or copy them. The derived faces drop those code points (and any other code point
below the ideograph blocks that shares a glyph with an ideograph), so the ideograph is the only
name each glyph has. Everything else, bold included, stays as Noto draws it (the OFL allows derived
fonts under another name).

Usage: make-report-fonts.py [--dir DIR] [--force]. Does nothing when the four files are there.
"""
import argparse
import os
import subprocess
import sys
import tempfile

from fontTools.ttLib import TTCollection

NOTO_DIR = "/usr/share/fonts/opentype/noto"
# (family, source collection, style) for each file written.
FACES = [
    ("Vondrel Song", "NotoSerifCJK-Regular.ttc", "Noto Serif CJK SC", "Regular"),
    ("Vondrel Song", "NotoSerifCJK-Bold.ttc", "Noto Serif CJK SC", "Bold"),
    ("Vondrel Hei", "NotoSansCJK-Regular.ttc", "Noto Sans CJK SC", "Regular"),
    ("Vondrel Hei", "NotoSansCJK-Bold.ttc", "Noto Sans CJK SC", "Bold"),
]
RADICALS = range(0x2E80, 0x2FE0)


def is_ideograph(cp):
    return (0x3400 <= cp <= 0x4DBF or 0x4E00 <= cp <= 0x9FFF or 0xF900 <= cp <= 0xFAFF
            or 0x20000 <= cp <= 0x3FFFF)


def file_name(family, style):
    return family.replace(" ", "") + "-" + style + ".otf"


def pick_font(collection, family):
    for font in collection.fonts:
        if font["name"].getDebugName(1) == family:
            return font
    raise SystemExit("make-report-fonts: no face %r in the collection" % family)


def strip_cmap(font):
    """Removes the radicals and every other low code point aliasing an ideograph's glyph."""
    best = font.getBestCmap()
    ideograph_glyphs = {glyph for cp, glyph in best.items() if is_ideograph(cp)}
    drop = {cp for cp, glyph in best.items()
            if cp in RADICALS or (cp < 0x3400 and glyph in ideograph_glyphs)}
    for table in font["cmap"].tables:
        if table.isUnicode() and hasattr(table, "cmap"):
            for cp in drop:
                table.cmap.pop(cp, None)
    return drop


def rename(font, family, style):
    full = family if style == "Regular" else family + " " + style
    postscript = family.replace(" ", "") + "-" + style
    names = font["name"]
    # Localised names (思源宋体 ...) would keep the old family reachable under another name.
    names.names = [n for n in names.names if n.nameID not in (1, 2, 3, 4, 6, 16, 17)]
    for name_id, text in ((1, family), (2, style), (3, postscript + ";vondrel"), (4, full),
                          (6, postscript)):
        names.setName(text, name_id, 3, 1, 0x409)
        names.setName(text, name_id, 1, 0, 0)
    if "CFF " in font:
        cff = font["CFF "].cff
        cff.fontNames = [postscript]
        top = cff.topDictIndex[0]
        top.FullName = full
        top.FamilyName = family


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("--dir", default="/usr/local/share/fonts/vondrel")
    parser.add_argument("--force", action="store_true")
    args = parser.parse_args()

    wanted = [(f, src, noto, style, os.path.join(args.dir, file_name(f, style)))
              for f, src, noto, style in FACES]
    if not args.force and all(os.path.exists(path) for *_, path in wanted):
        return 0
    os.makedirs(args.dir, exist_ok=True)
    for family, source, noto, style, path in wanted:
        if os.path.exists(path) and not args.force:
            continue
        print("make-report-fonts: writing %s" % path, file=sys.stderr)
        font = pick_font(TTCollection(os.path.join(NOTO_DIR, source)), noto)
        dropped = strip_cmap(font)
        rename(font, family, style)
        # A half-written font would be picked up by fontconfig; rename the finished file into place.
        fd, temp = tempfile.mkstemp(dir=args.dir, prefix=".tmp-", suffix=".otf")
        os.close(fd)
        try:
            font.save(temp)
            os.chmod(temp, 0o644)
            os.replace(temp, path)
        except BaseException:
            os.unlink(temp)
            raise
        print("make-report-fonts: %s %s without %d aliasing code points" % (family, style, len(dropped)),
              file=sys.stderr)
    subprocess.run(["fc-cache", "-f", args.dir], check=True)
    return 0


if __name__ == "__main__":
    sys.exit(main())
