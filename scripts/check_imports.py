#!/usr/bin/env python3
"""Checks the imports of every Windows image in the given folders, without Wine.

A 32-bit image once shipped with empty delay-import slots: every call through
them jumped to address 0, and only a run of that build under 32-bit Wine could
have shown it. So for each .exe, .com and .dll:
  - every slot of its import address tables, regular and delayed, is filled,
    and points into the image (a delayed slot at its loading thunk);
  - each DLL it imports is one that this kind of image may import: the
    program only what Windows loads anyway, the stand-in library its partner,
    no image a DLL of the MinGW runtime, which no user has.
GNU ld leaves the delay-import directory empty; its descriptors are found by
their symbols (__DELAY_IMPORT_DESCRIPTOR_<library>) as well, so the images are
checked as built, before they are stripped.

    check_imports.py FOLDER...   prints each fault and a closing line;
                                 exit code 1 when there is a fault.
"""
import os
import struct
import sys

# What Windows has in its system folder; every image may import these.
SYSTEM_DLLS = {
    "kernel32.dll", "user32.dll", "gdi32.dll", "comctl32.dll", "advapi32.dll", "msvcrt.dll",
    "comdlg32.dll", "ole32.dll", "shell32.dll", "setupapi.dll", "bcrypt.dll", "version.dll",
}
# The program loads the others when first needed, from the system folder only:
# at its start it needs no more than these.
PROGRAM_DLLS = {"kernel32.dll", "user32.dll", "gdi32.dll", "comctl32.dll", "advapi32.dll",
                "msvcrt.dll"}
ALLOWED = {
    "tavrodownload.exe": PROGRAM_DLLS,
    "tavrodownload.com": PROGRAM_DLLS,
    # The simulator pair, as the maker's: Vardel.dll needs Ostrel.dll.
    "vardel.dll": {"kernel32.dll", "msvcrt.dll", "ostrel.dll"},
    "vardelunmarked.dll": {"kernel32.dll", "msvcrt.dll", "ostrel.dll"},
    "ostrel.dll": {"kernel32.dll", "msvcrt.dll"},
}
IMAGE_EXTENSIONS = (".exe", ".com", ".dll")


class Image:
    def __init__(self, data):
        self.data = data
        pe = struct.unpack_from("<I", data, 0x3C)[0]
        if data[:2] != b"MZ" or data[pe:pe + 4] != b"PE\0\0":
            raise ValueError("not a PE image")
        (self.machine, sections, self.symbols_at, self.symbol_count, optional_size) = \
            struct.unpack_from("<HHxxxxIIH", data, pe + 4)
        optional = pe + 24
        self.pe64 = struct.unpack_from("<H", data, optional)[0] == 0x20B
        self.pointer = 8 if self.pe64 else 4
        self.base = struct.unpack_from("<Q" if self.pe64 else "<I", data,
                                       optional + (24 if self.pe64 else 28))[0]
        self.size = struct.unpack_from("<I", data, optional + 56)[0]
        directories = optional + (112 if self.pe64 else 96)
        self.directory = [struct.unpack_from("<II", data, directories + 8 * i)
                          for i in range(16)]
        table = optional + optional_size
        self.sections = [struct.unpack_from("<8sIIII", data, table + 40 * i)
                         for i in range(sections)]

    def offset(self, rva):
        for _, virtual_size, address, raw_size, raw in self.sections:
            if rva and address <= rva < address + max(virtual_size, raw_size):
                return raw + rva - address if rva - address < raw_size else None
        return None

    def u32(self, rva):
        at = self.offset(rva)
        return None if at is None else struct.unpack_from("<I", self.data, at)[0]

    def slot(self, rva):
        at = self.offset(rva)
        fmt = "<Q" if self.pe64 else "<I"
        return None if at is None else struct.unpack_from(fmt, self.data, at)[0]

    def text(self, rva):
        at = self.offset(rva)
        return None if at is None else self.data[at:self.data.index(b"\0", at)].decode("latin-1")

    def executable(self, rva):
        for name, virtual_size, address, raw_size, _ in self.sections:
            if address <= rva < address + max(virtual_size, raw_size):
                return name.rstrip(b"\0") == b".text"
        return False

    def symbol_values(self, prefix):
        """(section number, value) of each symbol whose name starts with prefix."""
        if not self.symbols_at:
            return
        strings = self.symbols_at + 18 * self.symbol_count
        i = 0
        while i < self.symbol_count:
            at = self.symbols_at + 18 * i
            raw, value, section, _, _, aux = struct.unpack_from("<8sIhHBB", self.data, at)
            if raw[:4] == b"\0\0\0\0":
                start = strings + struct.unpack_from("<I", raw, 4)[0]
                name = self.data[start:self.data.index(b"\0", start)]
            else:
                name = raw.rstrip(b"\0")
            if name.startswith(prefix) and section > 0:
                yield section, value
            i += 1 + aux


def slots(image, names_rva, table_rva):
    """(name, slot value) for each function of one table, by its name table."""
    for i in range(100000):
        entry = image.slot(names_rva + i * image.pointer)
        if not entry:
            return
        ordinal = entry >> (63 if image.pe64 else 31)
        name = "#%d" % (entry & 0xFFFF) if ordinal else image.text(entry + 2)
        yield name, image.slot(table_rva + i * image.pointer)


def regular_imports(image, faults):
    rva = image.directory[1][0]
    dlls = []
    while rva and image.u32(rva + 12):
        names, _, _, name, table = struct.unpack_from("<IIIII", image.data, image.offset(rva))
        dll = image.text(name).lower()
        dlls.append(dll)
        for function, value in slots(image, names or table, table):
            # Before loading, each slot holds its function's name or ordinal.
            if not value:
                faults.append("%s %s: empty import slot" % (dll, function))
            elif not value >> (63 if image.pe64 else 31) and value >= image.size:
                faults.append("%s %s: import slot points outside the image" % (dll, function))
        rva += 20
    return dlls


def delay_descriptors(image):
    rva, size = image.directory[13]
    found = set()
    while rva and size and image.u32(rva + 4):
        found.add(rva)
        rva += 32
    for section, value in image.symbol_values(b"__DELAY_IMPORT_DESCRIPTOR_"):
        found.add(image.sections[section - 1][2] + value)
    return sorted(found)


def delay_imports(image, faults):
    dlls = []
    for rva in delay_descriptors(image):
        attributes, name, _, table, names = struct.unpack_from("<IIIII", image.data,
                                                               image.offset(rva))
        # Version 1 (attribute 1) holds addresses as RVAs; the old one as VAs.
        to_rva = (lambda x: x) if attributes & 1 else (lambda x: x - image.base)
        dll = image.text(to_rva(name)).lower()
        dlls.append(dll)
        for function, value in slots(image, to_rva(names), to_rva(table)):
            if not value:
                faults.append("%s %s: empty delay-import slot" % (dll, function))
            elif not image.executable(value - image.base):
                faults.append("%s %s: delay-import slot points at no code of the image (0x%x)"
                              % (dll, function, value))
    return dlls


def check(path):
    with open(path, "rb") as f:
        image = Image(f.read())
    faults = []
    dlls = regular_imports(image, faults) + delay_imports(image, faults)
    allowed = ALLOWED.get(os.path.basename(path).lower(), SYSTEM_DLLS)
    for dll in sorted(set(dlls) - allowed):
        faults.append("imports %s, which it may not" % dll)
    return faults


def main(folders):
    images = sorted(os.path.join(folder, name) for folder in folders
                    for name in os.listdir(folder) if name.lower().endswith(IMAGE_EXTENSIONS))
    faulty = 0
    for path in images:
        faults = check(path)
        faulty += bool(faults)
        for fault in faults:
            print("%s: %s" % (path, fault))
    if not images:
        print("imports: no image found in %s" % " ".join(folders))
        return 1
    print("imports: %d of %d images in %s with every slot filled and only allowed DLLs"
          % (len(images) - faulty, len(images), " ".join(folders)))
    return 1 if faulty else 0


if __name__ == "__main__":
    sys.exit(main(sys.argv[1:]))
