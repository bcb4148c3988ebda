#!/usr/bin/python3
"""Holds ARCHITECTURE.md's table of components to the build: every library and program of the
component folders has a row, and a row's "links" column names exactly the project targets its
targets link directly (public or private; outside libraries such as Qt are not checked).

  architecture_links.py ARCHITECTURE.md LINK_MAP

LINK_MAP is written at configure time, one line per target: "folder target: linked targets".
"""
import re
import sys

TABLE_HEADING = "## Components and what they link"


def table_rows(markdown):
    """(targets, names in the links column) of each row of the components table."""
    section = markdown.split(TABLE_HEADING, 1)[1].split("\n## ", 1)[0]
    rows = []
    for line in section.splitlines():
        if not line.startswith("|") or line.startswith("|---"):
            continue
        cells = [c.strip() for c in re.split(r"(?<!\\)\|", line)[1:-1]]
        if len(cells) < 3 or cells[1] == "target":
            continue
        targets = set(re.findall(r"`([A-Za-z0-9_]+)`", cells[1]))
        links = set(re.findall(r"`([A-Za-z0-9_]+)`", cells[2]))
        rows.append((targets, links))
    return rows


def link_map(text):
    links = {}
    for line in text.splitlines():
        head, _, linked = line.partition(":")
        target = head.split()[1]
        links[target] = set(linked.split())
    return links


def main():
    if len(sys.argv) != 3:
        sys.exit(__doc__)
    rows = table_rows(open(sys.argv[1], encoding="utf-8").read())
    built = link_map(open(sys.argv[2], encoding="utf-8").read())
    known = set(built).union(*built.values())
    problems = []
    for targets, named in rows:
        ours = targets & built.keys()
        if not ours:
            continue
        linked = set().union(*(built[t] for t in ours)) - ours
        named = (named & known) - ours
        for missing in sorted(linked - named):
            problems.append("%s link %s, which the table does not say" % (sorted(ours), missing))
        for extra in sorted(named - linked):
            problems.append("the table says %s link %s; they do not" % (sorted(ours), extra))
    described = set().union(*(targets for targets, _ in rows))
    for target in sorted(built.keys() - described):
        problems.append("%s has no row in the table" % target)
    for problem in problems:
        print("ARCHITECTURE.md: " + problem)
    sys.exit(1 if problems else 0)


if __name__ == "__main__":
    main()
