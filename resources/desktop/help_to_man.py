#!/usr/bin/env python3
"""Turns a program's --help text into a man page, so the page says what the program says.

    help_to_man.py NAME VERSION SUMMARY OUT.1 < help.txt

The help text is read as: a "Usage:" line, description paragraphs, an "Options:" block of lines
that start with "-" after blanks (a description after two or more blanks, continued on more
indented lines), and further paragraphs; a paragraph that starts with "Exit status:" becomes the
EXIT STATUS section.
"""
import os
import re
import sys


def roff(text):
    text = text.replace("\\", "\\e").replace("-", "\\-")
    # A line starting with a dot or an apostrophe would be read as a request.
    return re.sub(r"^([.'])", r"\\&\1", text, flags=re.M)


def parse(name, lines):
    usage, description, options, exit_status, rest = [], [], [], [], []
    section = description
    for raw in lines:
        line = raw.rstrip()
        stripped = line.strip()
        if stripped.lower().startswith("usage:"):
            # The program names itself by the path it was started with; the page by its name.
            usage.append(re.sub(r"^\S*/", "", stripped[len("usage:"):].strip()))
            continue
        if re.match(r"^(options|arguments):$", stripped, re.I):
            section = options
            continue
        if stripped.lower().startswith("exit status:"):
            section = exit_status
            stripped = stripped[len("exit status:"):].strip()
            if stripped:
                exit_status.append(stripped)
            continue
        if section is options:
            m = re.match(r"^\s+(-\S.*?)(?:\s{2,}(.*))?$", line)
            if m:
                options.append([m.group(1), m.group(2) or ""])
                continue
            if stripped and options and line.startswith("   "):
                options[-1][1] = (options[-1][1] + " " + stripped).strip()
                continue
            if not stripped:
                continue
            section = rest
        section.append(stripped)
    return usage, description, options, exit_status, rest


def paragraphs(lines):
    out, current = [], []
    for line in lines:
        if line:
            current.append(line)
        elif current:
            out.append(" ".join(current))
            current = []
    if current:
        out.append(" ".join(current))
    return out


def main():
    if len(sys.argv) != 5:
        sys.exit(__doc__)
    name, version, summary, out = sys.argv[1:]
    usage, description, options, exit_status, rest = parse(name, sys.stdin.read().splitlines())
    page = ['.TH %s 1 "" "%s" "User Commands"' % (name.upper(), roff(version)),
            ".SH NAME", "%s \\- %s" % (roff(name), roff(summary)), ".SH SYNOPSIS"]
    for u in usage or [name + " [options]"]:
        words = u.split(None, 1)
        page.append(".B %s" % roff(words[0]))
        if len(words) > 1:
            page.append(roff(words[1]))
        page.append(".br")
    if page[-1] == ".br":
        page.pop()
    if description:
        page.append(".SH DESCRIPTION")
        for p in paragraphs(description):
            page += [".PP", roff(p)]
    if options:
        page.append(".SH OPTIONS")
        for option, text in options:
            page += [".TP", "\\fB%s\\fR" % roff(option), roff(text)]
    if rest:
        page.append(".SH NOTES")
        for p in paragraphs(rest):
            page += [".PP", roff(p)]
    if exit_status:
        page.append(".SH \"EXIT STATUS\"")
        for p in paragraphs(exit_status):
            page += [".PP", roff(p)]
    if not options:
        sys.exit("help_to_man.py: no options found in the help text of %s" % name)
    os.makedirs(os.path.dirname(os.path.abspath(out)), exist_ok=True)
    with open(out + ".tmp", "w", encoding="utf-8") as f:
        f.write("\n".join(page) + "\n")
    os.replace(out + ".tmp", out)


if __name__ == "__main__":
    main()
