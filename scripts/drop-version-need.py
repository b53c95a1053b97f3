#!/usr/bin/env python3
# SPDX-License-Identifier: MIT
"""Removes one version requirement (such as GLIBC_2.34) from a shared library, in place, once
no symbol uses it any more (patchelf --clear-symbol-version clears a symbol's, but keeps the
requirement itself, which the loader of an older C library refuses). 32- and 64-bit
little-endian ELF; refuses a library in which a symbol still uses the version.
Usage: scripts/drop-version-need.py LIBRARY VERSION"""
import struct
import sys

VERNEED, VERSYM = 0x6FFFFFFE, 0x6FFFFFFF


def drop(path, elf, version):
    wide = elf[4] == 2
    shoff = struct.unpack_from("<Q" if wide else "<I", elf, 0x28 if wide else 0x20)[0]
    shentsize, shnum = struct.unpack_from("<HH", elf, 0x3A if wide else 0x2E)
    layout = "<IIQQQQIIQQ" if wide else "<IIIIIIIIII"
    # (type, offset, size, link) of every section
    sections = [struct.unpack_from(layout, elf, shoff + i * shentsize)[1:7] for i in range(shnum)]
    sections = [(s[0], s[3], s[4], s[5]) for s in sections]
    verneed = next(s for s in sections if s[0] == VERNEED)
    versym = next(s for s in sections if s[0] == VERSYM)
    strings = sections[verneed[3]][1]

    def name(at):
        return elf[strings + at:elf.index(0, strings + at)].decode()

    used = {struct.unpack_from("<H", elf, versym[1] + i)[0] & 0x7FFF for i in range(0, versym[2], 2)}
    need, dropped = verneed[1], False
    while True:
        _, count, _, aux, following = struct.unpack_from("<HHIII", elf, need)
        previous, at = None, need + aux
        for _ in range(count):
            _, _, index, vername, step = struct.unpack_from("<IHHII", elf, at)
            if name(vername) == version:
                if index in used:
                    sys.exit(f"{path}: a symbol still needs {version}")
                if previous is None:
                    struct.pack_into("<I", elf, need + 8, aux + step)
                else:
                    struct.pack_into("<I", elf, previous + 12, (at - previous + step) if step else 0)
                struct.pack_into("<H", elf, need + 2, count - 1)
                dropped = True
            else:
                previous = at
            at += step
        if not following:
            return dropped
        need += following


def main():
    path, version = sys.argv[1:]
    with open(path, "rb") as library:
        elf = bytearray(library.read())
    if elf[:4] != b"\x7fELF" or elf[5] != 1:
        sys.exit(f"{path}: not a little-endian ELF file")
    if not drop(path, elf, version):
        sys.exit(f"{path}: needs no {version}")
    with open(path, "wb") as library:
        library.write(elf)


if __name__ == "__main__":
    main()
