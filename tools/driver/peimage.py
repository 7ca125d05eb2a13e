#!/usr/bin/env python3
"""Seals and checks the kernel driver image (QuillarPro.sys) after linking.

  peimage.py seal IMAGE                   writes the image's PE checksum (the linker leaves
                                          it to us, and the kernel loader checks it)
  peimage.py check IMAGE --machine M      M: i386 or x86-64. Checks that the image is a
                                          native-subsystem image for that machine, imports
                                          from ntoskrnl.exe and hal.dll only, carries a
                                          relocation directory and a correct checksum; prints
                                          one line per fault and exits 1 on any
  peimage.py check IMAGE --machine M --mutants
                                          also checks that each kind of wrong image (a byte
                                          changed after sealing, another subsystem, another
                                          machine, another imported library, no relocations)
                                          is refused, so the check itself cannot rot
"""
import argparse
import struct
import sys

MACHINES = {"i386": 0x14C, "x86-64": 0x8664}
NATIVE = 1
ALLOWED_LIBRARIES = {"ntoskrnl.exe", "hal.dll"}
RELOCS_STRIPPED = 0x0001
DIR_IMPORT, DIR_BASERELOC, DIR_BOUND_IMPORT, DIR_DELAY_IMPORT = 1, 5, 11, 13


class Image:
    """The few fields of a PE image the checks need, by file offset."""

    def __init__(self, data):
        if data[:2] != b"MZ":
            raise ValueError("no MZ header")
        self.pe = struct.unpack_from("<I", data, 0x3C)[0]
        if data[self.pe:self.pe + 4] != b"PE\0\0":
            raise ValueError("no PE signature")
        coff = self.pe + 4
        self.machine_offset = coff
        self.machine, self.section_count = struct.unpack_from("<HH", data, coff)
        optional_size, self.characteristics = struct.unpack_from("<HH", data, coff + 16)
        self.characteristics_offset = coff + 18
        self.optional = coff + 20
        magic = struct.unpack_from("<H", data, self.optional)[0]
        if magic not in (0x10B, 0x20B):
            raise ValueError("unknown optional header 0x%X" % magic)
        self.checksum_offset = self.optional + 64
        self.subsystem_offset = self.optional + 68
        self.checksum = struct.unpack_from("<I", data, self.checksum_offset)[0]
        self.subsystem = struct.unpack_from("<H", data, self.subsystem_offset)[0]
        self.entry = struct.unpack_from("<I", data, self.optional + 16)[0]
        directories = self.optional + (96 if magic == 0x10B else 112)
        count = struct.unpack_from("<I", data, directories - 4)[0]
        self.directory_offset = directories
        self.directories = [struct.unpack_from("<II", data, directories + 8 * i) for i in range(count)]
        first_section = self.optional + optional_size
        self.sections = []
        for i in range(self.section_count):
            name, vsize, va, raw_size, raw = struct.unpack_from("<8sIIII", data, first_section + 40 * i)
            self.sections.append((name.rstrip(b"\0").decode("latin-1"), va, max(vsize, raw_size), raw))
        self.data = data

    def directory(self, index):
        return self.directories[index] if index < len(self.directories) else (0, 0)

    def offset_of(self, rva):
        for _, va, size, raw in self.sections:
            if va <= rva < va + size:
                return raw + rva - va
        raise ValueError("address 0x%X lies in no section" % rva)

    def text_at(self, rva):
        start = self.offset_of(rva)
        return self.data[start:self.data.index(b"\0", start)].decode("latin-1")

    def imported_libraries(self):
        rva, size = self.directory(DIR_IMPORT)
        names = []
        if not size:
            return names
        at = self.offset_of(rva)
        while True:
            lookup, _, _, name, thunks = struct.unpack_from("<IIIII", self.data, at)
            if not (lookup or name or thunks):
                return names
            names.append(self.text_at(name))
            at += 20

    def relocation_entries(self):
        rva, size = self.directory(DIR_BASERELOC)
        entries = 0
        if not size:
            return entries
        at, end = self.offset_of(rva), self.offset_of(rva) + size
        while at + 8 <= end:
            block_size = struct.unpack_from("<I", self.data, at + 4)[0]
            if block_size < 8:
                break
            entries += (block_size - 8) // 2
            at += block_size
        return entries


def pe_checksum(data, checksum_offset):
    """The PE checksum: 16-bit one's-complement-style sum of the file without the checksum
    field, folded to 16 bits, plus the file's length."""
    body = bytearray(data)
    body[checksum_offset:checksum_offset + 4] = b"\0\0\0\0"
    if len(body) % 2:
        body.append(0)
    total = 0
    for (word,) in struct.iter_unpack("<H", body):
        total += word
        total = (total & 0xFFFF) + (total >> 16)
    total = (total & 0xFFFF) + (total >> 16)
    return (total + len(data)) & 0xFFFFFFFF


def seal(data):
    image = Image(data)
    sealed = bytearray(data)
    struct.pack_into("<I", sealed, image.checksum_offset, pe_checksum(data, image.checksum_offset))
    return bytes(sealed)


def faults(data, machine):
    """Every way the image differs from a loadable driver for MACHINE, as lines of text."""
    try:
        image = Image(data)
    except (ValueError, struct.error) as e:
        return ["not a PE image: %s" % e]
    found = []
    if image.machine != MACHINES[machine]:
        found.append("machine 0x%X, not %s (0x%X)" % (image.machine, machine, MACHINES[machine]))
    if image.subsystem != NATIVE:
        found.append("subsystem %d, not native (%d)" % (image.subsystem, NATIVE))
    if not image.entry:
        found.append("no entry point")
    try:
        libraries = image.imported_libraries()
    except (ValueError, struct.error) as e:
        libraries = []
        found.append("unreadable imports: %s" % e)
    others = [name for name in libraries if name.lower() not in ALLOWED_LIBRARIES]
    if others:
        found.append("imports from %s" % ", ".join(others))
    if "ntoskrnl.exe" not in (name.lower() for name in libraries):
        found.append("no imports from ntoskrnl.exe")
    for index, what in ((DIR_BOUND_IMPORT, "bound"), (DIR_DELAY_IMPORT, "delay-loaded")):
        if image.directory(index)[1]:
            found.append("%s imports" % what)
    if image.characteristics & RELOCS_STRIPPED:
        found.append("relocations stripped")
    try:
        relocations = image.relocation_entries()
    except (ValueError, struct.error):
        relocations = 0
    if not relocations:
        found.append("no relocation directory")
    expected = pe_checksum(data, image.checksum_offset)
    if image.checksum != expected:
        found.append("checksum 0x%08X, should be 0x%08X" % (image.checksum, expected))
    return found


def mutants(data, machine):
    """Wrong images, each (what, bytes, the fault the check must name). All but the first are
    sealed again, so only the change itself can make the check fail."""
    image = Image(data)
    other_machine = MACHINES["x86-64" if machine == "i386" else "i386"]

    def changed(offset, fmt, value):
        copy = bytearray(data)
        struct.pack_into(fmt, copy, offset, value)
        return seal(bytes(copy))

    body = bytearray(data)
    body[len(body) // 2] ^= 0xFF
    library = bytearray(data)
    at = library.lower().index(b"ntoskrnl.exe")
    library[at:at + 12] = b"kernel32.dll"
    return [
        ("a byte changed after sealing", bytes(body), "checksum"),
        ("a windowed program's subsystem", changed(image.subsystem_offset, "<H", 2), "subsystem"),
        ("the other machine", changed(image.machine_offset, "<H", other_machine), "machine"),
        ("kernel32.dll imported", seal(bytes(library)), "imports from kernel32.dll"),
        ("the relocation directory removed",
         changed(image.directory_offset + 8 * DIR_BASERELOC, "<Q", 0), "no relocation directory"),
    ]


def main():
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("command", choices=("seal", "check"))
    parser.add_argument("image")
    parser.add_argument("--machine", choices=sorted(MACHINES))
    parser.add_argument("--mutants", action="store_true")
    args = parser.parse_args()
    with open(args.image, "rb") as f:
        data = f.read()
    if args.command == "seal":
        with open(args.image, "wb") as f:
            f.write(seal(data))
        return 0
    if not args.machine:
        parser.error("check needs --machine")
    found = faults(data, args.machine)
    for line in found:
        print("%s: %s" % (args.image, line))
    failed = bool(found)
    if args.mutants and not failed:
        for what, wrong, fault in mutants(data, args.machine):
            named = faults(wrong, args.machine)
            if not any(fault in line for line in named):
                print("%s: the check accepts an image with %s (it said: %s)"
                      % (args.image, what, "; ".join(named) or "nothing"))
                failed = True
    return 1 if failed else 0


if __name__ == "__main__":
    sys.exit(main())
