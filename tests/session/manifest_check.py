#!/usr/bin/env python3
"""Reads the application manifest (resource type 24, id 1) out of a Windows program and checks
the four settings it must hold: asInvoker, supportedOS Vista to 11, per-monitor (v2) DPI
awareness with system-aware before it, and the UTF-8 code page. Prints the manifest.
Usage: manifest_check.py EXE   (exit 1 with a word on what is missing)"""
import re
import struct
import sys

RT_MANIFEST = 24
SUPPORTED_OS = {  # the compatibility ids Windows defines, Vista to 10/11
    "e2011457-1546-43c5-a5fe-008deee3d3f0": "Vista", "35138b9a-5d96-4fbd-8e2d-a2440225f93a": "7",
    "4a2f28e3-53b9-4441-ba9c-d69d4a4a6e38": "8", "1f676c76-80e1-4239-95bb-83d0f6d0da78": "8.1",
    "8e0f7a12-bfb3-4fe8-b9a5-48fd50a15a9a": "10 and 11",
}


def resource(data, type_id, name_id):
    pe = struct.unpack_from("<I", data, 0x3C)[0]
    sections, optional = struct.unpack_from("<H12xH", data, pe + 6)
    opt = pe + 24
    directories = opt + (96 if struct.unpack_from("<H", data, opt)[0] == 0x10B else 112)
    rsrc_rva = struct.unpack_from("<I", data, directories + 2 * 8)[0]
    table = opt + optional

    def offset(rva):
        for i in range(sections):
            size, address, _, raw = struct.unpack_from("<IIII", data, table + 40 * i + 8)
            if address <= rva < address + max(size, 1):
                return raw + rva - address
        sys.exit("resource outside every section")

    base = offset(rsrc_rva)

    def entries(at):
        named, ids = struct.unpack_from("<HH", data, base + at + 12)
        for i in range(named + ids):
            yield struct.unpack_from("<II", data, base + at + 16 + 8 * i)

    def child(at, wanted):
        for name, target in entries(at):
            if wanted is None or name == wanted:
                return target & 0x7FFFFFFF
        return None

    at = child(0, type_id)
    at = child(at, name_id) if at is not None else None
    at = child(at, None) if at is not None else None   # its first language
    if at is None:
        return None
    rva, size = struct.unpack_from("<II", data, base + at)
    return data[offset(rva):offset(rva) + size]


def main():
    blob = resource(open(sys.argv[1], "rb").read(), RT_MANIFEST, 1)
    if blob is None:
        sys.exit(f"{sys.argv[1]} holds no manifest (resource type 24, id 1)")
    text = blob.decode("utf-8")
    print(text)
    missing = []
    if not re.search(r'<requestedExecutionLevel\s+level="asInvoker"', text):
        missing.append("requestedExecutionLevel asInvoker")
    found = {m.lower() for m in re.findall(r'<supportedOS\s+Id="\{([0-9a-fA-F-]+)\}"', text)}
    missing += [f"supportedOS Windows {name}" for guid, name in SUPPORTED_OS.items() if guid not in found]
    if not re.search(r"<dpiAware[^>]*>\s*true\s*</dpiAware>", text, re.I):
        missing.append("dpiAware true (system-aware before Windows 10 1607)")
    if not re.search(r"<dpiAwareness[^>]*>\s*PerMonitorV2\b", text):
        missing.append("dpiAwareness PerMonitorV2")
    if not re.search(r"<activeCodePage[^>]*>\s*UTF-8\s*</activeCodePage>", text):
        missing.append("activeCodePage UTF-8")
    if missing:
        sys.exit("the manifest lacks: " + ", ".join(missing))
    print("manifest: asInvoker, supportedOS Vista to 11, PerMonitorV2 over system-aware, UTF-8")


if __name__ == "__main__":
    main()
