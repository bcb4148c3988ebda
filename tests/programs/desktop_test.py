#!/usr/bin/python3
"""The installed programs on a real desktop: an X server (Xvfb), a session bus and the
accessibility bus.

  desktop_test.py BUILD_DIR

Installs the build into a temporary prefix (cmake --install), then, for each window: every field,
list and button speaks a name over AT-SPI (one table of every control of both forms), and the
window carries the class its installed desktop entry names as StartupWMClass and an icon, found
beside the program. Runs with the system Python, which has pyatspi.
"""
import configparser
import fcntl
import os
import re
import subprocess
import sys
import tempfile
import time

# Every control a screen reader reaches, by role and spoken name; a control with no name shows
# here as an empty name and fails its form's row.
CONTROLS = {
    "movie": sorted([
        ("text", "Weekday"),
        ("text", "Title"),
        ("push button", "Choose picture 1\u2026"),
        ("text", "Movie description 1"),
        ("text", "Schedule"),
        ("push button", "Add show time"),
        ("list", "Show times"),
        ("push button", "Choose picture 2\u2026"),
        ("text", "Movie description 2"),
        ("text", "Rated"),
        ("push button", "Exit"),
        ("push button", "Print schedule"),
    ]),
    "quotation": sorted([
        ("image", "World Express Delivery logo"),
        ("text", "Customer Name"),
        ("text", "Customer Address"),
        ("list", "Costs"),
        ("text", "Sincerely"),
        ("push button", "Close"),
        ("push button", "Print Quotation"),
    ]),
    # The agent's window: the step bar says which step it shows, the download's own thin bar and
    # the busy bar are named for what they show; the heading is one text, its shadow only drawn.
    "TLUPDATER": sorted([
        ("label", "Talvex Labs update agent"),
        ("progress bar", "Checking for a new version"),
        ("progress bar", "Download"),
        ("progress bar", "Step N of 4"),
        ("push button", "Close"),
    ]),
}
# Roles that are not controls: the window, captions, containers and a list's own rows. Pictures
# are, so an unnamed one fails its form's row; so is the agent's heading, which is spoken once.
NOT_CONTROLS = {"application", "frame", "window", "label", "list item", "filler", "separator",
                "scroll bar", "layered pane"}
HEADING = "Talvex Labs update agent"

FAILURES = []


def fail(text):
    print("FAIL: " + text)
    FAILURES.append(text)


def start_desktop(work):
    """An X server and a session bus of our own, so nothing of the caller's desktop is touched."""
    read_end, write_end = os.pipe()
    xvfb = subprocess.Popen(["Xvfb", "-displayfd", str(write_end), "-screen", "0", "1024x768x24",
                             "-nolisten", "tcp"], pass_fds=(write_end,), stderr=subprocess.DEVNULL)
    os.close(write_end)
    # The number and its line end may come in two writes; Xvfb ends if the second finds no reader.
    with os.fdopen(read_end) as numbers:
        display = numbers.readline().strip()
    if not display:
        sys.exit("desktop test: Xvfb did not start")
    bus = subprocess.Popen(["dbus-daemon", "--session", "--nofork", "--print-address=1"],
                           stdout=subprocess.PIPE)
    address = bus.stdout.readline().decode().strip()
    if not address:
        sys.exit("desktop test: the session bus did not start")
    os.environ.update({
        "DISPLAY": ":" + display,
        "DBUS_SESSION_BUS_ADDRESS": address,
        "XDG_RUNTIME_DIR": work,
        "QT_QPA_PLATFORM": "xcb",
        "QT_LINUX_ACCESSIBILITY_ALWAYS_ON": "1",
        "QT_ACCESSIBILITY": "1",
        "NO_AT_BRIDGE": "0",
    })
    return [xvfb, bus]


def tree(accessible, depth=0):
    yield accessible
    if depth > 30:
        return
    for index in range(accessible.childCount):
        child = accessible.getChildAtIndex(index)
        if child is not None:
            yield from tree(child, depth + 1)


def application(pyatspi, pid):
    """The program's AT-SPI application, once it has shown its window."""
    deadline = time.monotonic() + 60
    while time.monotonic() < deadline:
        desktop = pyatspi.Registry.getDesktop(0)
        for index in range(desktop.childCount):
            app = desktop.getChildAtIndex(index)
            try:
                if app is not None and app.get_process_id() == pid and app.childCount > 0:
                    return app
            except Exception:  # an application that went away meanwhile
                continue
        time.sleep(0.2)
    return None


def window_properties(pid, title):
    """The X properties of the program's top-level window called `title`."""
    deadline = time.monotonic() + 60
    while time.monotonic() < deadline:
        found = subprocess.run(["xdotool", "search", "--all", "--pid", str(pid), "--name",
                                "^" + title + "$"], capture_output=True, text=True).stdout.split()
        if found:
            return subprocess.run(["xprop", "-id", found[0], "WM_CLASS", "_NET_WM_ICON",
                                   "_KDE_NET_WM_DESKTOP_FILE", "_GTK_APPLICATION_ID"],
                                  capture_output=True, text=True).stdout
        time.sleep(0.2)
    return ""


def desktop_entry(applications, name):
    entry = configparser.ConfigParser(interpolation=None)
    entry.optionxform = str
    if not entry.read(os.path.join(applications, name + ".desktop")):
        sys.exit("desktop test: %s.desktop is not installed" % name)
    return entry["Desktop Entry"]


def check_identity(program, pid, title, applications, desktop_name):
    properties = window_properties(pid, title)
    if not properties:
        return fail("%s: no window called %r" % (program, title))
    entry = desktop_entry(applications, desktop_name)
    wm_class = next((line for line in properties.splitlines() if line.startswith("WM_CLASS")), "")
    classes = [part.strip().strip('"') for part in wm_class.partition("=")[2].split(",")]
    if entry.get("StartupWMClass") not in classes:
        fail("%s: StartupWMClass %r is not the window's class %s"
             % (program, entry.get("StartupWMClass"), classes))
    if "_NET_WM_ICON(CARDINAL) =" not in properties:
        fail("%s: the window has no icon" % program)
    if entry.get("Icon") != desktop_name:
        fail("%s: the desktop entry's icon is %r" % (program, entry.get("Icon")))


def check_controls(pyatspi, program, pid, title):
    """Every control of the window called `title` that a screen reader reaches, with its name."""
    app = application(pyatspi, pid)
    if app is None:
        return fail("%s: no accessible application appeared" % program)
    windows = [app.getChildAtIndex(index) for index in range(app.childCount)]
    window = next((w for w in windows if w is not None and w.name == title), None)
    if window is None:
        return fail("%s: no accessible window called %r" % (program, title))
    # The step bar's name says the step it shows: any step, at whatever moment it is read.
    controls = sorted((node.getRoleName(), re.sub(r"^Step [0-4] of 4$", "Step N of 4", node.name))
                      for node in tree(window)
                      if node.getRoleName() not in NOT_CONTROLS or node.name == HEADING)
    if controls != CONTROLS[program]:
        fail("%s: the controls a screen reader reaches are\n  %s\nnot\n  %s"
             % (program, controls, CONTROLS[program]))


def run_form(pyatspi, program, bin_dir, title, applications):
    process = subprocess.Popen([os.path.join(bin_dir, program)], stdout=subprocess.DEVNULL,
                               stderr=subprocess.PIPE, text=True)
    try:
        check_controls(pyatspi, program, process.pid, title)
        check_identity(program, process.pid, title, applications, "org.quillset." + program)
    finally:
        process.terminate()
        process.wait(10)


def run_agent(pyatspi, bin_dir, applications, work):
    # A module another update holds: after its two seconds the agent waits for it with its window
    # up, however long the accessibility bus takes to answer on a machine's first run.
    module = os.path.join(work, "module")
    os.mkdir(module)
    held = os.open(module, os.O_RDONLY | os.O_DIRECTORY)
    fcntl.flock(held, fcntl.LOCK_EX)
    process = subprocess.Popen([os.path.join(bin_dir, "TLUPDATER"), "NOTHING", "1", module],
                               stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
    try:
        check_controls(pyatspi, "TLUPDATER", process.pid, "TL Updater")
        check_identity("TLUPDATER", process.pid, "TL Updater", applications,
                       "org.quillset.tlupdater")
    finally:
        process.terminate()
        process.wait(10)
        os.close(held)


def main():
    if len(sys.argv) != 2:
        sys.exit(__doc__)
    with tempfile.TemporaryDirectory() as work:
        os.chmod(work, 0o700)
        prefix = os.path.join(work, "prefix")
        installed = subprocess.run(["cmake", "--install", sys.argv[1], "--prefix", prefix],
                                   capture_output=True, text=True)
        if installed.returncode != 0:
            sys.exit("desktop test: cmake --install failed:\n" + installed.stdout + installed.stderr)
        bin_dir = os.path.join(prefix, "bin")
        applications = os.path.join(prefix, "share", "applications")
        # Only what is installed: no drive C: of the build folder, no icon theme that has them.
        os.environ.pop("QUILLSET_DRIVE_C", None)
        os.environ["XDG_DATA_DIRS"] = "/usr/share"
        started = start_desktop(work)
        try:
            import pyatspi  # after the bus address is set: it connects when imported
            run_form(pyatspi, "movie", bin_dir, "Movie Schedule", applications)
            run_form(pyatspi, "quotation", bin_dir, "Quotaton - Quillset Demo!", applications)
            run_agent(pyatspi, bin_dir, applications, work)
        finally:
            for process in reversed(started):
                process.terminate()
                process.wait(10)
    print("%d failure(s)" % len(FAILURES))
    sys.exit(1 if FAILURES else 0)


if __name__ == "__main__":
    main()
