#!/usr/bin/python3
"""Makes the page's font from Debian's Liberation Sans: only the characters the program can
show (every character of the given source files, Latin-1 and the Windows-1252 characters a
series file may hold), as WOFF2, under its own family name, as the font's licence asks of a
modified version (its reserved name is not used).

    subset_font.py SOURCE.ttf OUT.woff2 FAMILY STYLE FILE...
"""

import sys

from fontTools import subset
from fontTools.ttLib import TTFont


def characters(files):
    chars = set(range(0x20, 0x7F)) | set(range(0xA0, 0x100))
    # The characters Windows-1252 adds to Latin-1 (a file read as "ANSI").
    chars |= {ord(c) for c in bytes(range(0x80, 0xA0)).decode("cp1252", errors="ignore")}
    chars |= {0xFFFD}  # what a byte that is no character becomes
    for name in files:
        with open(name, encoding="utf-8", errors="ignore") as f:
            chars |= {ord(c) for c in f.read() if ord(c) >= 0x20}
    return sorted(chars)


def rename(font, family, style):
    full = family if style == "Regular" else f"{family} {style}"
    postscript = full.replace(" ", "") if style == "Regular" else f"{family.replace(' ', '')}-{style}"
    table = font["name"]
    for record in list(table.names):
        if record.nameID in (1, 3, 4, 6, 16, 17, 21, 22):
            table.removeNames(nameID=record.nameID)
    for platform, encoding, language in ((3, 1, 0x409), (1, 0, 0)):
        table.setName(family, 1, platform, encoding, language)
        table.setName(style, 2, platform, encoding, language)
        table.setName(f"{full}; kw_switch subset", 3, platform, encoding, language)
        table.setName(full, 4, platform, encoding, language)
        table.setName(postscript, 6, platform, encoding, language)
    table.setName(
        "Modified from Liberation Sans 2.1.5 (a subset, renamed) for kw_switch's web page; "
        "Liberation is a reserved font name of the original", 10, 3, 1, 0x409)


def main():
    source, out, family, style, *files = sys.argv[1:]
    options = subset.Options()
    options.flavor = "woff2"
    options.layout_features = ["kern", "liga"]
    options.name_IDs = ["*"]
    options.name_languages = ["*"]
    options.notdef_outline = True
    options.drop_tables += ["DSIG", "FFTM"]
    # Browsers hint outlines themselves at these sizes; the instructions would double the file.
    options.hinting = False
    font = TTFont(source)
    subsetter = subset.Subsetter(options)
    subsetter.populate(unicodes=characters(files))
    subsetter.subset(font)
    rename(font, family, style)
    font.flavor = "woff2"
    font.save(out)


if __name__ == "__main__":
    main()
