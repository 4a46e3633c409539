#!/usr/bin/env python3
"""Reads the application manifest (resource type 24, id 1) out of a Windows program, prints it
and checks its four settings: asInvoker, supportedOS Vista to 11, per-monitor (v2) DPI
awareness over system-aware, and the UTF-8 code page. Usage: manifest_check.py EXE"""
import re
import struct
import sys

SUPPORTED_OS = {  # Windows's compatibility ids, Vista to 10 and 11
    "e2011457-1546-43c5-a5fe-008deee3d3f0", "35138b9a-5d96-4fbd-8e2d-a2440225f93a",
    "4a2f28e3-53b9-4441-ba9c-d69d4a4a6e38", "1f676c76-80e1-4239-95bb-83d0f6d0da78",
    "8e0f7a12-bfb3-4fe8-b9a5-48fd50a15a9a"}
SETTINGS = {
    "requestedExecutionLevel asInvoker": r'<requestedExecutionLevel\s+level="asInvoker"',
    "dpiAware true": r"<dpiAware\b[^>]*>\s*true\s*<",
    "dpiAwareness PerMonitorV2": r"<dpiAwareness\b[^>]*>\s*PerMonitorV2\b",
    "activeCodePage UTF-8": r"<activeCodePage\b[^>]*>\s*UTF-8\s*<",
}


def manifest(data):
    pe = struct.unpack_from("<I", data, 0x3C)[0]
    sections, optional_size = struct.unpack_from("<H12xH", data, pe + 6)
    optional = pe + 24
    directories = optional + (96 if struct.unpack_from("<H", data, optional)[0] == 0x10B else 112)
    table = optional + optional_size
    spans = [struct.unpack_from("<IIII", data, table + 40 * i + 8) for i in range(sections)]

    def offset(rva):   # (virtual size, address, raw size, raw offset) of each section
        return next(raw + rva - address for size, address, _, raw in spans if address <= rva < address + size)

    base = offset(struct.unpack_from("<I", data, directories + 2 * 8)[0])   # the resource directory

    def child(at, wanted):   # the entry with that id, or the first one for None
        named, ids = struct.unpack_from("<HH", data, base + at + 12)
        for i in range(named + ids):
            name, target = struct.unpack_from("<II", data, base + at + 16 + 8 * i)
            if wanted in (None, name):
                return target & 0x7FFFFFFF
        sys.exit(f"{sys.argv[1]} holds no manifest (resource type 24, id 1)")

    rva, size = struct.unpack_from("<II", data, base + child(child(child(0, 24), 1), None))
    return data[offset(rva):offset(rva) + size].decode("utf-8")


text = manifest(open(sys.argv[1], "rb").read())
print(text)
missing = [name for name, pattern in SETTINGS.items() if not re.search(pattern, text)]
found = {m.lower() for m in re.findall(r'<supportedOS\s+Id="\{([0-9a-fA-F-]+)\}"', text)}
missing += [f"supportedOS {guid}" for guid in sorted(SUPPORTED_OS - found)]
if missing:
    sys.exit("the manifest lacks: " + ", ".join(missing))
print("manifest: asInvoker, supportedOS Vista to 11, PerMonitorV2 over system-aware, UTF-8")
