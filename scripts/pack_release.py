#!/usr/bin/env python3
"""Packs the release archive: one folder, Vorsel-VERSION, holding Vorsel.exe, sample.wav and
README.txt, the README's user part as plain text with Windows line endings.

  pack_release.py VERSION EXE SAMPLE README_MD OUT_ZIP EPOCH

The user part is whatever README.md holds between its "README.txt: from here" and
"README.txt: to here" markers, so the two texts cannot drift. The archive depends on nothing
but its inputs and EPOCH (every entry's time): same inputs, same bytes.
"""
import re
import sys
import time
import zipfile

BEGIN = "<!-- README.txt: from here -->"
END = "<!-- README.txt: to here -->"


def user_part(markdown):
    """The lines between each pair of markers, in order, the parts a blank line apart; an
    unpaired marker is an error, since it would silently drop or leak a part of the README."""
    lines, inside, found = [], False, False
    for number, line in enumerate(markdown.splitlines(), 1):
        stripped = line.strip()
        if stripped in (BEGIN, END):
            if (stripped == BEGIN) == inside:
                sys.exit(f"README.md:{number}: '{stripped}' without its pair")
            inside, found = not inside, True
            lines.append("")
            continue
        if inside:
            lines.append(line)
    if inside or not found:
        sys.exit("README.md: no complete 'README.txt: from here' ... 'to here' part")
    return lines


def plain(text):
    """Inline markdown to plain text: emphasis marks go, links keep their address, and code
    spans, which name files, keys and buttons, are quoted."""
    spans = []

    def keep(match):
        spans.append('"' + match.group(1) + '"')
        return f"\0{len(spans) - 1}\0"

    text = re.sub(r"`([^`]*)`", keep, text)
    text = re.sub(r"\[([^\]]*)\]\(([^)]*)\)", r"\1 (\2)", text)
    text = re.sub(r"(\*\*|\*|__)(\S(?:.*?\S)?)\1", r"\2", text)
    return re.sub(r"\0(\d+)\0", lambda m: spans[int(m.group(1))], text)


def table(rows):
    """A markdown table as aligned columns; the rule under the heading row goes."""
    cells = [[plain(c.strip()) for c in row.strip().strip("|").split("|")] for row in rows]
    cells = [r for r in cells if not all(re.fullmatch(r":?-+:?", c) for c in r)]
    widths = [max(len(r[i]) for r in cells if i < len(r)) for i in range(max(map(len, cells)))]
    return ["  ".join(c.ljust(widths[i]) for i, c in enumerate(r)).rstrip() for r in cells]


def readme_txt(markdown, version):
    title = f"Vorsel {version}"
    out = [title, "=" * len(title), ""]
    pending = []   # the rows of a table being read
    # The folder's name as the archive has it.
    part = [line.replace("Vorsel-VERSION", f"Vorsel-{version}") for line in user_part(markdown)]
    for line in part + [""]:
        if line.lstrip().startswith("|"):
            pending.append(line)
            continue
        if pending:
            out += table(pending)
            pending = []
        heading = re.match(r"#{2,6}\s+(.*)", line)
        if heading:
            text = plain(heading.group(1))
            out += ["", text, "-" * len(text), ""]
        elif not re.match(r"\s*!\[", line):   # pictures have no place in a text file
            out.append(plain(line).rstrip())
    text = re.sub(r"\n{3,}", "\n\n", "\n".join(out)).strip("\n") + "\n"
    data = text.replace("\n", "\r\n").encode("utf-8")
    # Notepad takes UTF-8 without a mark for the ANSI code page.
    return data if data.isascii() else b"\xef\xbb\xbf" + data


def main():
    if len(sys.argv) != 7:
        sys.exit(__doc__)
    version, exe, sample, readme, out, epoch = sys.argv[1:]
    with open(readme, encoding="utf-8") as f:
        text = readme_txt(f.read(), version)
    # A zip's times are local DOS times from 1980 on; UTC keeps them the same in every zone.
    when = time.gmtime(max(int(epoch), 315532800))[:6]
    folder = f"Vorsel-{version}"
    entries = [("Vorsel.exe", open(exe, "rb").read()),
               ("sample.wav", open(sample, "rb").read()),
               ("README.txt", text)]
    with zipfile.ZipFile(out, "w") as archive:
        for name, data in entries:
            info = zipfile.ZipInfo(f"{folder}/{name}", date_time=when)
            info.compress_type = zipfile.ZIP_DEFLATED
            info.create_system = 0        # made for Windows, whatever system packs it
            info.external_attr = 0x20     # the archive attribute only: not read-only, not hidden
            archive.writestr(info, data, compresslevel=9)


if __name__ == "__main__":
    main()
