#!/usr/bin/env python3
"""Makes the PCI vendor and device name table of the hardware event log.

The names come from the kernel's PCI identifier header, include/linux/pci_ids.h, as
Debian installs it with its linux-headers-<abi>-common package
(/usr/src/linux-headers-*-common/include/linux/pci_ids.h; scripts/setup installs it):

  #define PCI_VENDOR_ID_<TAG>            0x....   vendor name <TAG>
  #define PCI_DEVICE_ID_<TAG>_<NAME>     0x....   device name <NAME> of the vendor <TAG>

A device belongs to the vendor whose tag is the longest one its macro name starts with;
a device macro that starts with no vendor tag belongs to the vendor whose block it stands
in, with its whole name. Names are written in upper case. Where the header defines one
key twice, the first definition counts. tools/pcinames/overrides.txt then adds, replaces
or removes single rows.

The table records the SHA-256 of the header it was made from.

Usage:
  make_pci_names.py [--source HEADER] [--overrides FILE] [--output FILE]
      writes the table (default src/chipset/pci_name_table.cpp)
  make_pci_names.py --check TABLE --telling FILE [--source HEADER] [--overrides FILE]
      regenerates the table in memory. When the installed header is the one the table was
      made from, the result must equal TABLE byte for byte. Otherwise the header changed:
      the regenerated table must still hold every row of the telling-rows file, be sorted
      without duplicates and have plausible counts; the change is reported. Exit status 0
      when the check passes.
"""
import argparse
import glob
import hashlib
import os
import re
import sys

ROOT = os.path.normpath(os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", ".."))
DEFAULT_OUTPUT = os.path.join(ROOT, "src", "chipset", "pci_name_table.cpp")
DEFAULT_OVERRIDES = os.path.join(ROOT, "tools", "pcinames", "overrides.txt")
SOURCE_GLOB = "/usr/src/linux-headers-*-common/include/linux/pci_ids.h"

DEFINE = re.compile(r"^\s*#\s*define\s+PCI_(VENDOR|DEVICE)_ID_(\w+)\s+0[xX]([0-9A-Fa-f]{1,4})\b")
NAME = re.compile(r"^[A-Z0-9_]+$")


def version_key(path):
    """Orders linux-headers-6.1.0-9-common before linux-headers-6.1.0-10-common."""
    return [int(p) if p.isdigit() else p for p in re.split(r"(\d+)", path)]


def find_source():
    found = glob.glob(SOURCE_GLOB)
    if not found:
        sys.exit("make_pci_names: no %s; run scripts/setup" % SOURCE_GLOB)
    return sorted(found, key=version_key)[-1]


def parse_header(text):
    """Returns the vendor rows {id: name} and device rows {(vendor, device): name}."""
    vendor_defs = []  # (tag, id) in file order
    device_defs = []  # (rest, id, tag of the enclosing vendor block)
    block = None
    for line in text.splitlines():
        m = DEFINE.match(line)
        if not m:
            continue
        kind, tag, value = m.group(1), m.group(2), int(m.group(3), 16)
        if kind == "VENDOR":
            vendor_defs.append((tag, value))
            block = tag
        else:
            device_defs.append((tag, value, block))

    tags = {}
    vendors = {}
    for tag, vid in vendor_defs:
        tags.setdefault(tag, vid)
        vendors.setdefault(vid, tag.upper())

    by_length = sorted(tags, key=len, reverse=True)
    devices = {}
    for rest, did, block in device_defs:
        owner = next((t for t in by_length if rest.startswith(t + "_")), None)
        if owner is not None:
            vid, name = tags[owner], rest[len(owner) + 1:]
        elif block is not None:
            vid, name = tags[block], rest
        else:
            continue
        devices.setdefault((vid, did), name.upper())
    return vendors, devices


def read_rows(path):
    """Rows of an overrides or telling-rows file: (kind, key, name or None)."""
    rows = []
    with open(path, encoding="ascii") as f:
        for number, line in enumerate(f, 1):
            line = line.split("#", 1)[0].strip()
            if not line:
                continue
            parts = line.split()
            kind = parts[0]
            try:
                if kind == "vendor" and len(parts) == 3:
                    rows.append((kind, int(parts[1], 16), parts[2]))
                elif kind == "device" and len(parts) == 3:
                    v, d = parts[1].split(":")
                    rows.append((kind, (int(v, 16), int(d, 16)), parts[2]))
                elif kind == "nodevice" and len(parts) == 2:
                    v, d = parts[1].split(":")
                    rows.append((kind, (int(v, 16), int(d, 16)), None))
                else:
                    raise ValueError
            except ValueError:
                sys.exit("%s:%d: cannot read %r" % (path, number, line))
            if rows[-1][2] is not None and not NAME.match(rows[-1][2]):
                sys.exit("%s:%d: %r is not an upper-case tag" % (path, number, rows[-1][2]))
    return rows


def apply_overrides(vendors, devices, rows):
    for kind, key, name in rows:
        if kind == "vendor":
            vendors[key] = name
        elif kind == "device":
            devices[key] = name
        else:
            devices.pop(key, None)


def c_string(s):
    return '"' + s.replace("\\", "\\\\").replace('"', '\\"') + '"'


def render(vendors, devices, source_hash):
    out = []
    out.append("// The PCI vendor and device names of the hardware event log, sorted for lookup by bisection.")
    out.append("// Generated by tools/pcinames/make_pci_names.py from the kernel's PCI identifier header")
    out.append("// (include/linux/pci_ids.h of Debian's linux-headers-*-common package) and")
    out.append("// tools/pcinames/overrides.txt. Do not edit: run the generator again.")
    out.append("// source-sha256: %s" % source_hash)
    out.append("// %d vendor names, %d device names" % (len(vendors), len(devices)))
    out.append('#include "chipset/pci_name_table.h"')
    out.append("")
    out.append("namespace pcinames {")
    out.append("")
    out.append("const PciVendorRow kPciVendorRows[] = {")
    for vid in sorted(vendors):
        out.append("    {0x%04X, %s}," % (vid, c_string(vendors[vid])))
    out.append("};")
    out.append("const std::size_t kPciVendorRowCount = sizeof(kPciVendorRows) / sizeof(kPciVendorRows[0]);")
    out.append("")
    out.append("const PciDeviceRow kPciDeviceRows[] = {")
    for vid, did in sorted(devices):
        out.append("    {0x%04X, 0x%04X, %s}," % (vid, did, c_string(devices[(vid, did)])))
    out.append("};")
    out.append("const std::size_t kPciDeviceRowCount = sizeof(kPciDeviceRows) / sizeof(kPciDeviceRows[0]);")
    out.append("")
    out.append("}  // namespace pcinames")
    return "\n".join(out) + "\n"


def build(source, overrides):
    with open(source, "rb") as f:
        data = f.read()
    source_hash = hashlib.sha256(data).hexdigest()
    vendors, devices = parse_header(data.decode("latin-1"))
    apply_overrides(vendors, devices, read_rows(overrides))
    return vendors, devices, source_hash


def recorded(table_text, label):
    m = re.search(r"^// %s: (\S+)" % re.escape(label), table_text, re.M)
    return m.group(1) if m else None


def recorded_counts(table_text):
    m = re.search(r"^// (\d+) vendor names, (\d+) device names$", table_text, re.M)
    return (int(m.group(1)), int(m.group(2))) if m else (0, 0)


def check(table, telling, source, overrides):
    with open(table, encoding="ascii") as f:
        current = f.read()
    vendors, devices, source_hash = build(source, overrides)
    regenerated = render(vendors, devices, source_hash)
    made_from = recorded(current, "source-sha256")
    if made_from == source_hash:
        if regenerated != current:
            print("%s differs from what the generator makes of %s: run tools/pcinames/make_pci_names.py"
                  % (table, source))
            return 1
        print("regenerated table is identical (%d vendors, %d devices)" % (len(vendors), len(devices)))
        return 0

    print("the PCI identifier header changed: %s has sha256 %s, the table was made from %s"
          % (source, source_hash, made_from))
    problems = []
    for kind, key, name in read_rows(telling):
        if kind == "vendor" and vendors.get(key) != name:
            problems.append("vendor %04X gives %r, not %r" % (key, vendors.get(key), name))
        elif kind == "device" and devices.get(key) != name:
            problems.append("device %04X:%04X gives %r, not %r" % (key + (devices.get(key), name)))
        elif kind == "nodevice" and key in devices:
            problems.append("device %04X:%04X gives %r, not no name" % (key + (devices[key],)))
    if any(not NAME.match(n) for n in list(vendors.values()) + list(devices.values())):
        problems.append("a name is not an upper-case tag")
    if any(vid not in vendors for vid, _ in devices):
        problems.append("a vendor with device names has no name")
    old_vendors, old_devices = recorded_counts(current)
    for what, new, old in (("vendor", len(vendors), old_vendors), ("device", len(devices), old_devices)):
        if not (old * 0.8 <= new <= old * 1.25):
            problems.append("%d %s names against %d in the checked-in table" % (new, what, old))
    rows = regenerated.splitlines()
    for first, last in (("kPciVendorRows[]", "};"), ("kPciDeviceRows[]", "};")):
        start = next(i for i, r in enumerate(rows) if first in r) + 1
        end = rows.index(last, start)
        keys = [tuple(int(k, 16) for k in re.findall(r"0x([0-9A-F]{4})", r)) for r in rows[start:end]]
        if any(a >= b for a, b in zip(keys, keys[1:])):
            problems.append("%s is not strictly sorted" % first)
    for p in problems:
        print("  " + p)
    if problems:
        return 1
    print("the regenerated table still holds every telling row (%d vendors, %d devices); "
          "regenerate the checked-in table when convenient" % (len(vendors), len(devices)))
    return 0


def main():
    ap = argparse.ArgumentParser(description=__doc__.split("\n")[0])
    ap.add_argument("--source")
    ap.add_argument("--overrides", default=DEFAULT_OVERRIDES)
    ap.add_argument("--output", default=DEFAULT_OUTPUT)
    ap.add_argument("--check", metavar="TABLE")
    ap.add_argument("--telling")
    args = ap.parse_args()
    source = args.source or find_source()
    if args.check:
        if not args.telling:
            sys.exit("--check needs --telling")
        return check(args.check, args.telling, source, args.overrides)
    vendors, devices, source_hash = build(source, args.overrides)
    with open(args.output, "w", encoding="ascii", newline="\n") as f:
        f.write(render(vendors, devices, source_hash))
    print("%s: %d vendor names, %d device names from %s" % (args.output, len(vendors), len(devices), source))
    return 0


if __name__ == "__main__":
    sys.exit(main())
