#!/usr/bin/env python3
# SPDX-License-Identifier: GPL-3.0-or-later
"""Makes a manual page from a program's --help and a page of hand-written sections.

The synopsis, the commands, the options and the labelled paragraphs ("Exit status: ...") come
from the program's own --help, so the page cannot tell another story than the program; what
--help has no room for (a longer description, files, examples, see also) comes from the page
file, a list of sections:

    [NAME]
    kolva-cli \\- the program without a window
    [DESCRIPTION]
    roff text ...
    [FILES]
    ...

--help is read in either of the two forms the programs print: Qt's ("Usage: prog [options]",
description lines, "Options:" with "  -x, --long <VALUE>  text") or kolva-cli's ("Usage:" with one
line per command, "Commands:", "Options:", then paragraphs).
"""
import argparse
import os
import re
import subprocess
import sys

FRONT_SECTIONS = ("NAME", "SYNOPSIS", "DESCRIPTION")


def roff_text(text):
    """Plain text as roff: backslashes escaped, no line taken for a request."""
    text = text.replace("\\", "\\e")
    if text.startswith((".", "'")):
        text = "\\&" + text
    return text


def option_token(token):
    """A word of a synopsis or an option spec, in bold (literal) or italics (to be replaced)."""
    if not token:
        return ""
    prefix = suffix = ""
    while token and token[0] in "[(":
        prefix += token[0]
        token = token[1:]
    while token and token[-1] in "])":
        suffix = token[-1] + suffix
        token = token[:-1]
    if token.startswith("<") and token.endswith(">"):
        body = "\\fI" + token[1:-1] + "\\fR"
    elif token.startswith("-"):
        name, eq, value = token.partition("=")
        body = "\\fB" + name.replace("-", "\\-") + "\\fR"
        if eq:
            body += "=" + option_token(value)
    elif re.fullmatch(r"[A-Z][A-Z0-9:._]*", token):
        body = "\\fI" + token + "\\fR"
    elif token == "|":
        body = "|"
    else:
        body = "|".join("\\fB" + part.replace("-", "\\-") + "\\fR" for part in token.split("|"))
    return prefix + body + suffix


def spec_roff(spec):
    """"-h, --help" or "--port PATH" or "--link <PATH>" as roff."""
    parts = []
    for alternative in spec.split(", "):
        parts.append(" ".join(option_token(t) for t in alternative.split()))
    return ", ".join(parts)


def split_entry(line):
    """'  --port PATH     text' -> ('--port PATH', 'text'); the text may be empty."""
    stripped = line.strip()
    m = re.match(r"(\S.*?)(?:\s{2,}(\S.*))?$", stripped)
    return m.group(1), (m.group(2) or "")


class Help:
    def __init__(self, text):
        self.usage = []          # synopsis lines
        self.description = []    # paragraphs
        self.lists = {}          # "Options" / "Commands" / "Arguments" -> [(spec, text)]
        self.labelled = []       # (label, paragraph) for "Exit status: ..." and the like
        self.parse(text.splitlines())

    def parse(self, lines):
        i = 0
        paragraph = []

        def flush():
            if paragraph:
                text = " ".join(paragraph)
                m = re.match(r"([A-Z][A-Za-z ]{1,30}): (.*)$", text)
                if m:
                    self.labelled.append((m.group(1), m.group(2)))
                else:
                    self.description.append(text)
                paragraph.clear()

        while i < len(lines):
            line = lines[i]
            if line.startswith("Usage:"):
                flush()
                rest = line[len("Usage:"):].strip()
                if rest:
                    self.usage.append(rest)
                i += 1
                while i < len(lines) and lines[i].startswith("  "):
                    self.usage.append(lines[i].strip())
                    i += 1
                # Qt's form: the description follows the usage line directly.
                while i < len(lines) and lines[i].strip():
                    paragraph.append(lines[i].strip())
                    i += 1
                flush()
                continue
            m = re.fullmatch(r"([A-Z][a-z]+):", line.strip())
            if m and not line.startswith(" "):
                flush()
                entries = self.lists.setdefault(m.group(1), [])
                i += 1
                while i < len(lines) and lines[i].startswith("  "):
                    entry = lines[i]
                    if re.match(r"\s{2,8}\S", entry) and not re.match(r"\s{9,}", entry):
                        spec, text = split_entry(entry)
                        entries.append([spec, text])
                    elif entries:
                        entries[-1][1] = (entries[-1][1] + " " + entry.strip()).strip()
                    i += 1
                continue
            if not line.strip():
                flush()
            else:
                paragraph.append(line.strip())
            i += 1
        flush()


def read_page(path):
    sections = []
    current = None
    with open(path, encoding="utf-8") as f:
        for line in f:
            line = line.rstrip("\n")
            m = re.fullmatch(r"\[([A-Z][A-Z ]*)\]", line)
            if m:
                current = [m.group(1), []]
                sections.append(current)
            elif current is not None:
                current[1].append(line)
            elif line.strip():
                sys.exit(f"{path}: text before the first [SECTION]")
    return [(name, "\n".join(body).strip("\n")) for name, body in sections]


def entries_roff(entries):
    out = []
    for spec, text in entries:
        out.append(".TP")
        out.append(spec_roff(spec))
        out.append(roff_text(text))
    return out


def make_page(help_text, page, name, section, version, date):
    help_ = Help(help_text)
    sections = dict(page)
    title = name.upper().replace("-", "\\-")
    out = [
        f'.TH {title} {section} "{date}" "kolva {version}" "KOLVA Thermometer"',
        ".SH NAME",
        sections.get("NAME", name),
        ".SH SYNOPSIS",
    ]
    for i, usage in enumerate(help_.usage):
        if i:
            out.append(".br")
        words = usage.split()
        words[0] = os.path.basename(words[0])  # Qt's help names the program as it was started
        out.append(" ".join(option_token(t) for t in words))
    out.append(".SH DESCRIPTION")
    for i, p in enumerate(help_.description):
        if i:
            out.append(".PP")
        out.append(roff_text(p))
    if "DESCRIPTION" in sections:
        if help_.description:
            out.append(".PP")
        out.append(sections["DESCRIPTION"])
    for title in ("Commands", "Arguments", "Options"):
        if title in help_.lists:
            out.append(".SH " + title.upper())
            out.extend(entries_roff(help_.lists[title]))
    for label, text in help_.labelled:
        out.append(".SH " + label.upper())
        out.append(roff_text(text[:1].upper() + text[1:]))
    for title, body in page:
        if title not in FRONT_SECTIONS:
            out.append(".SH " + title)
            out.append(body)
    return "\n".join(out) + "\n"


def main():
    p = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    p.add_argument("--program", required=True, help="the executable, run with --help")
    p.add_argument("--page", required=True, help="the hand-written sections")
    p.add_argument("--name", required=True)
    p.add_argument("--section", default="1")
    p.add_argument("--version", required=True)
    p.add_argument("--date", required=True)
    p.add_argument("-o", dest="output", required=True)
    a = p.parse_args()

    # Offscreen: the program needs no display to print its help. A sanitizer build's leak report
    # at exit is no concern of the page.
    env = dict(os.environ, LC_ALL="C.UTF-8", QT_QPA_PLATFORM="offscreen")
    env.setdefault("ASAN_OPTIONS", "detect_leaks=0")
    result = subprocess.run([a.program, "--help"], capture_output=True, text=True, env=env,
                            timeout=60)
    if result.returncode != 0 or not result.stdout.strip():
        sys.exit(f"{a.program} --help failed ({result.returncode}): {result.stderr}")
    page = make_page(result.stdout, read_page(a.page), a.name, a.section, a.version, a.date)
    with open(a.output, "w", encoding="utf-8", newline="\n") as f:
        f.write(page)


if __name__ == "__main__":
    main()
