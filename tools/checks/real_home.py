#!/usr/bin/python3
"""The tests' real-home check: every test runs with a scratch home, so the user's own folders
are never written by a test run.

  real_home.py start TEST_HOMES   marks the run's start
  real_home.py check TEST_HOMES   fails when the real home's folders the programs write were
                                  changed since

Run with the caller's own HOME and XDG variables, which are the real ones.
"""
import os
import sys

# What the programs of the suite are named in a folder of their own or a file of theirs.
OURS = ("quillset", "quotation", "movie", "tlupdater")


def real_places():
    home = os.path.expanduser("~")
    state = os.environ.get("XDG_STATE_HOME", "")
    state = state if os.path.isabs(state) else os.path.join(home, ".local", "state")
    config = os.environ.get("XDG_CONFIG_HOME", "")
    config = config if os.path.isabs(config) else os.path.join(home, ".config")
    places = [os.path.join(state, "quillset"), os.path.join(home, "Documents")]
    # The folders where a program keeps what is its own: only entries named for the suite.
    shared = [config, os.path.join(home, ".cache"), os.path.join(home, ".local", "share")]
    return places, shared


def changed_since(stamp):
    places, shared = real_places()
    found = []
    for place in places:
        for folder, _, files in os.walk(place):
            for name in [folder] + [os.path.join(folder, f) for f in files]:
                if os.lstat(name).st_mtime >= stamp:
                    found.append(name)
    for folder in shared:
        if os.path.isdir(folder):
            for name in os.listdir(folder):
                path = os.path.join(folder, name)
                if name.lower().startswith(OURS) and os.lstat(path).st_mtime >= stamp:
                    found.append(path)
    return found


def main():
    if len(sys.argv) != 3 or sys.argv[1] not in ("start", "check"):
        sys.exit(__doc__)
    os.makedirs(sys.argv[2], exist_ok=True)
    stamp = os.path.join(sys.argv[2], ".run-started")
    if sys.argv[1] == "start":
        with open(stamp, "w"):
            pass
        return
    found = changed_since(os.stat(stamp).st_mtime)
    for path in found:
        print("written by the tests in the real home: " + path)
    sys.exit(1 if found else 0)


if __name__ == "__main__":
    main()
