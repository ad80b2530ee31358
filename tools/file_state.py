#!/usr/bin/env python3
"""Counts the file-scope mutable variables of each folder: variables at
namespace scope (static or not, inside anonymous namespaces too) that are
not const or constexpr. A rough reader of C++, good enough for this code.

    tools/file_state.py [-v] [folder ...]     (default: app libs platform installer)
"""
import os
import re
import sys

COMMENTS = re.compile(r'//[^\n]*|/\*.*?\*/|"(?:\\.|[^"\\])*"|\'(?:\\.|[^\'\\])*\'', re.S)
SKIP_START = ("typedef", "using", "extern", "template", "friend", "static_assert", "return")


def blank(m):
    text = m.group(0)
    return '""' if text.startswith('"') else ("' '" if text.startswith("'") else " ")


def is_variable(statement):
    s = " ".join(statement.split())
    if not s or s.startswith(SKIP_START):
        return False
    if re.match(r'(struct|class|enum|union)\b[^=]*$', s):
        return False
    head = s.split("=", 1)[0]
    if re.search(r'\bconst(expr)?\b', head.split("[")[0].split("*")[-1] if "*" in head else head):
        return False
    # A function declaration: parentheses before any initializer.
    if "(" in head and not re.search(r'\(\s*\*', head):
        return False
    return bool(re.search(r'[A-Za-z_]\w*\s*(\[[^\]]*\]\s*)*$', head.strip()))


def past_braces(text, i):
    """The index behind the brace that closes the one at text[i]."""
    depth = 0
    for j in range(i, len(text)):
        depth += text[j] == "{"
        depth -= text[j] == "}"
        if depth == 0:
            return j + 1
    return len(text)


def variables(text):
    text = COMMENTS.sub(blank, text)
    text = re.sub(r'^\s*#.*?(?<!\\)$', " ", text, flags=re.M)
    found, statement, i, n = [], "", 0, len(text)
    while i < n:
        c = text[i]
        if c == "{":
            if "=" in statement or re.search(r'\w\s*$', statement) and re.match(r'(static\s+)?[\w:<>,\s\*&]+\s+\w+\s*(\[[^\]]*\]\s*)*$', " ".join(statement.split())) and "(" not in statement:
                # An initializer in braces: part of the statement.
                j = past_braces(text, i)
                statement += " {} "
                i = j
                continue
            if re.match(r'\s*(namespace\b[\w\s]*|extern\s*""\s*)$', statement):
                statement = ""
                i += 1
                continue
            # A body of a function, struct or enum: skip it.
            j = past_braces(text, i)
            if re.match(r'\s*(struct|class|enum|union)\b', statement):
                statement += " {} "
            else:
                statement = ""
            i = j
            continue
        if c == "}":
            statement = ""
        elif c == ";":
            if is_variable(statement):
                found.append(" ".join(statement.split()))
            statement = ""
        else:
            statement += c
        i += 1
    return found


def main():
    args = sys.argv[1:]
    verbose = "-v" in args
    tops = [a for a in args if a != "-v"] or ["app", "libs", "platform", "installer"]
    counts, total = {}, 0
    for top in tops:
        for folder, _, files in os.walk(top):
            for name in sorted(files):
                if not name.endswith(".cpp"):
                    continue
                path = os.path.join(folder, name)
                with open(path, encoding="latin-1") as f:
                    found = variables(f.read())
                # "static HSZ a, b, c;" holds three.
                number = sum(1 + re.sub(r'\[[^\]]*\]|\{.*\}|<[^>]*>', "", v.split("=")[0]).count(",")
                             for v in found)
                if found:
                    counts[folder] = counts.get(folder, 0) + number
                    total += number
                    if verbose:
                        for v in found:
                            print("%s: %s" % (path, v))
    for folder in sorted(counts):
        print("%4d  %s" % (counts[folder], folder))
    print("%4d  total" % total)


if __name__ == "__main__":
    main()
