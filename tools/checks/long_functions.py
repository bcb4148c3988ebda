#!/usr/bin/env python3
"""Lists the product's functions longer than a bound (80 lines unless given), longest first.

    tools/checks/long_functions.py [LINES]

Reads the C++ sources outside tests/, bench/, fuzz/ and build folders. A function is a brace
block whose head ends in a parameter list (and qualifiers) and that is not inside another
function; lambdas and local classes count towards the function that holds them.
"""
import pathlib
import re
import sys

ROOT = pathlib.Path(__file__).resolve().parents[2]
SKIPPED = {"tests", "bench", "fuzz", ".git"}
CONTROL = re.compile(r"^(if|for|while|switch|catch|else|do)\b")
FUNCTION_HEAD = re.compile(r"\)\s*(const|noexcept|override|final|mutable|->\s*[\w:<>,\s*&]+|\s)*$")
LITERALS = re.compile(r'//[^\n]*|/\*.*?\*/|R"\((?:.|\n)*?\)"|"(?:\\.|[^"\\\n])*"|\'(?:\\.|[^\'\\\n])*\'',
                      re.S)


def Blank(match):
    return re.sub(r"[^\n]", " ", match.group(0))


def Functions(path):
    text = LITERALS.sub(Blank, path.read_text(errors="replace"))
    stack = []  # (is_function, start_line, head)
    head, line = "", 1
    for ch in text:
        if ch == "\n":
            line += 1
        if ch == "{":
            inside_function = any(kind for kind, _, _ in stack)
            words = " ".join(head.split())
            is_function = (not inside_function and FUNCTION_HEAD.search(words) is not None
                           and not CONTROL.match(words) and not words.endswith("= )"))
            start = line - head.count("\n") if is_function else line
            stack.append((is_function, start, words))
            head = ""
        elif ch == "}":
            if stack:
                is_function, start, words = stack.pop()
                if is_function:
                    yield line - start + 1, start, words
            head = ""
        elif ch == ";":
            head = ""
        else:
            head += ch


def main():
    bound = int(sys.argv[1]) if len(sys.argv) > 1 else 80
    found = []
    for path in sorted(ROOT.rglob("*.cpp")) + sorted(ROOT.rglob("*.h")):
        relative = path.relative_to(ROOT)
        if relative.parts[0] in SKIPPED or relative.parts[0].startswith("build"):
            continue
        for length, start, words in Functions(path):
            if length > bound:
                name = words.split("(")[0].split()[-1] if "(" in words else words
                found.append((length, f"{relative}:{start}", name))
    for length, where, name in sorted(found, reverse=True):
        print(f"{length:5} {where} {name}")
    return 1 if found else 0


if __name__ == "__main__":
    sys.exit(main())
