#!/usr/bin/env python3
# SPDX-License-Identifier: GPL-3.0-or-later
"""The texts installed beside the programs say what the programs say.

For each program: its manual page (made at build time) renders without a groff warning, has every
option and command of the program's --help under OPTIONS or COMMANDS and every usage line in its
SYNOPSIS. For kolva-cli: the bash completion offers exactly the commands of --help, and for each
command exactly the options of its usage line.

Arguments: BIN_DIR MAN_DIR COMPLETION_FILE. Prints each difference; exit status 1 when there is
one.
"""
import os
import re
import subprocess
import sys

PROGRAMS = ("kolva", "kolva-cli", "kolva-meter-sim")


def run(args, **kw):
    env = dict(os.environ, LC_ALL="C.UTF-8", QT_QPA_PLATFORM="offscreen")
    return subprocess.run(args, capture_output=True, text=True, env=env, timeout=60, **kw)


def plain(roff):
    """The words of a roff line without fonts and escapes."""
    roff = re.sub(r"\\f[BIRP]", "", roff)
    return roff.replace("\\-", "-").replace("\\&", "").replace("\\e", "\\")


def sections(page):
    out, name = {}, None
    for line in page.splitlines():
        if line.startswith(".SH "):
            name = line[4:].strip().strip('"')
            out[name] = []
        elif name:
            out[name].append(line)
    return out


def headings(lines):
    """The lines right after each .TP: the option or command an entry is for."""
    return [plain(lines[i + 1]) for i, l in enumerate(lines[:-1]) if l == ".TP"]


def help_parts(text):
    """Usage lines, and the entries (first words) of the indented lists after "X:" headings."""
    usage, entries, heading = [], {}, None
    for line in text.splitlines():
        if line.startswith("Usage:"):
            heading = "Usage"
            if line[6:].strip():
                usage.append(line[6:].strip())
            continue
        m = re.fullmatch(r"([A-Z][a-z]+):", line)
        if m:
            heading = m.group(1)
            continue
        if not line.startswith("  "):
            heading = None if not line.strip() or heading != "Usage" else heading
            continue
        if heading == "Usage":
            usage.append(line.strip())
        elif heading and re.match(r"  {0,6}\S", line):
            entries.setdefault(heading, []).append(re.split(r"\s{2,}", line.strip())[0])
    return usage, entries


def check_page(program, bin_dir, man_dir, problems):
    path = os.path.join(man_dir, program + ".1")
    page = open(path, encoding="utf-8").read()
    groff = run(["groff", "-man", "-ww", "-z", "-Tutf8", path])
    if groff.stderr.strip():
        problems.append(f"{program}.1: groff says {groff.stderr.strip()}")
    help_text = run([os.path.join(bin_dir, program), "--help"]).stdout
    usage, entries = help_parts(help_text)
    parts = sections(page)
    synopsis = [plain(l) for l in parts.get("SYNOPSIS", []) if not l.startswith(".")]
    for u in usage:
        words = u.split()
        words[0] = os.path.basename(words[0])
        if " ".join(words) not in synopsis:
            problems.append(f"{program}.1: SYNOPSIS lacks {' '.join(words)!r}")
    for heading, names in entries.items():
        documented = " ".join(headings(parts.get(heading.upper(), [])))
        for spec in names:
            for token in re.findall(r"(?<![\w-])--?[A-Za-z][\w-]*", spec) or [spec]:
                if token not in documented.split() and token + "," not in documented.split():
                    problems.append(f"{program}.1: {heading.upper()} lacks {token}")
    return usage


def completions(completion, words):
    script = (f"source {completion!r}; COMP_WORDS=({' '.join(repr(w) for w in words)}); "
              f"COMP_CWORD={len(words) - 1}; _kolva_cli; printf '%s\\n' \"${{COMPREPLY[@]}}\"")
    return set(run(["bash", "-c", script]).stdout.split())


def check_completion(usage, completion, problems):
    commands = {}
    for line in usage:
        words = line.split()
        if len(words) > 1 and not words[1].startswith("-"):
            commands[words[1]] = {w for w in re.findall(r"(?<![\w-])--?[A-Za-z][\w-]*", line)}
    offered = completions(completion, ["kolva-cli", ""])
    wanted = set(commands) | {"--help", "--version"}
    if offered != wanted:
        problems.append(f"completion offers commands {sorted(offered)}, --help has {sorted(wanted)}")
    for command, options in commands.items():
        offered = completions(completion, ["kolva-cli", command, "-"])
        if offered != options | {"--help"}:
            problems.append(f"completion offers {sorted(offered)} after {command}, its usage line "
                            f"has {sorted(options)}")


def main():
    bin_dir, man_dir, completion = sys.argv[1:4]
    problems = []
    for program in PROGRAMS:
        usage = check_page(program, bin_dir, man_dir, problems)
        if program == "kolva-cli":
            check_completion(usage, completion, problems)
    for p in problems:
        print(p)
    print(f"{len(PROGRAMS)} manual pages and the completion checked, {len(problems)} problems")
    return 1 if problems else 0


if __name__ == "__main__":
    sys.exit(main())
