#!/usr/bin/python3
"""What a screen reader finds in the real program, asked through AT-SPI.

Starts a copy of the program in a temporary folder and, from outside,
- lists every control of the main window, both settings dialogs and the
  About box with the name a screen reader says, and fails on any without one;
- tabs through the main window and fails on a control the Tab key never
  reaches;
- presses the navigator's "Next" arrow through AT-SPI, as a screen reader
  user would, and reads the next contact's name from the name box.

Run under xvfb-run and dbus-run-session, with a window manager beside it.
usage: accessible.py BIN_DIR
"""
import os
import shutil
import subprocess
import sys
import tempfile
import time

import pyatspi

# The roles of controls a user works with; each needs a name to be spoken.
CONTROLS = {
    pyatspi.ROLE_PUSH_BUTTON, pyatspi.ROLE_TOGGLE_BUTTON, pyatspi.ROLE_RADIO_BUTTON,
    pyatspi.ROLE_CHECK_BOX, pyatspi.ROLE_TEXT, pyatspi.ROLE_ENTRY, pyatspi.ROLE_COMBO_BOX,
    pyatspi.ROLE_MENU, pyatspi.ROLE_MENU_ITEM, pyatspi.ROLE_LIST, pyatspi.ROLE_TREE,
    pyatspi.ROLE_PAGE_TAB, pyatspi.ROLE_SPIN_BUTTON,
}

failures = []


def fail(message):
    print("FAIL:", message)
    failures.append(message)


def wait_for(what, find, seconds=30):
    """Polls find() until it returns something; gives up with a clear message."""
    deadline = time.monotonic() + seconds
    while time.monotonic() < deadline:
        found = find()
        if found:
            return found
        time.sleep(0.2)
    print("FAIL:", what)
    sys.exit(1)


def descendants(acc):
    for i in range(acc.childCount):
        child = acc.getChildAtIndex(i)
        if child is None:
            continue
        yield child
        yield from descendants(child)


def showing(acc):
    return acc.getState().contains(pyatspi.STATE_SHOWING)


def application():
    for app in pyatspi.Registry.getDesktop(0):
        if app is not None and app.name == "Quorvel":
            return app
    return None


def window(app, title):
    app.clear_cache()
    for frame in app:
        if frame is not None and frame.name == title and showing(frame):
            return frame
    return None


def controls(frame):
    return [a for a in descendants(frame) if a.getRole() in CONTROLS and showing(a)]


def list_controls(frame):
    """Prints each control with its role and spoken name; fails on the nameless."""
    print(f"-- {frame.name}")
    for acc in controls(frame):
        print(f"   {acc.getRoleName():14} {acc.name!r}")
        if not acc.name.strip():
            extents = acc.queryComponent().getExtents(pyatspi.WINDOW_COORDS)
            fail(f"a {acc.getRoleName()} at {extents.x},{extents.y} in '{frame.name}' has no name")


def click(acc):
    box = acc.queryComponent().getExtents(pyatspi.DESKTOP_COORDS)
    subprocess.run(["xdotool", "mousemove", str(box.x + box.width // 2), str(box.y + box.height // 2),
                    "click", "1"], check=True)


def focused(frame):
    frame.clear_cache()
    for acc in descendants(frame):
        if acc.getState().contains(pyatspi.STATE_FOCUSED) and acc.getRole() in CONTROLS:
            return acc
    return None


def text_of(acc):
    acc.clear_cache()
    return acc.queryText().getText(0, -1)


def find(frame, role, name):
    return next((a for a in controls(frame) if a.getRole() == role and a.name == name), None)


def main():
    bin_dir = sys.argv[1]
    work = tempfile.mkdtemp()
    program = None
    try:
        for f in ("Quorvel", "libquorvel_windows.so", "Quorvel.mdb"):
            shutil.copy2(os.path.join(bin_dir, f), work)
        env = dict(os.environ, QT_LINUX_ACCESSIBILITY_ALWAYS_ON="1", QT_ACCESSIBILITY="1")
        program = subprocess.Popen([os.path.join(work, "Quorvel")], cwd=work, env=env)

        app = wait_for("the program never appeared on the accessibility bus", application)
        main_window = wait_for("no window 'Phone Dir' on the accessibility bus", lambda: window(app, "Phone Dir"))
        list_controls(main_window)

        # Every control that can take the focus is reached by Tab, in a loop back to the start.
        name_box = find(main_window, pyatspi.ROLE_TEXT, "NAME> Last, First")
        if name_box is None:
            fail("the name box is not named by its caption 'NAME> Last, First'")
            return
        name_box.queryComponent().grabFocus()
        wait_for("the name box never took the focus", lambda: focused(main_window) == name_box)
        reachable = [a for a in controls(main_window) if a.getState().contains(pyatspi.STATE_FOCUSABLE)]
        reached = [name_box]
        for _ in range(len(reachable) + 1):
            before = focused(main_window)
            subprocess.run(["xdotool", "key", "Tab"], check=True)
            now = wait_for("Tab left no control with the focus",
                           lambda: (lambda f: f if f is not None and f != before else None)(focused(main_window)))
            if now == name_box:
                break
            reached.append(now)
        print("tab order:", " > ".join(a.name for a in reached))
        for acc in reachable:
            if acc not in reached:
                fail(f"Tab never reaches the {acc.getRoleName()} '{acc.name}'")

        # A screen reader user walks the book through the navigator's named arrows.
        first_name = text_of(name_box)
        next_arrow = find(main_window, pyatspi.ROLE_PUSH_BUTTON, "Next")
        if next_arrow is None:
            fail("the navigator has no arrow named 'Next'")
        else:
            next_arrow.queryAction().doAction(0)
            shown = wait_for("'Next' did not move on", lambda: (lambda t: t if t != first_name else None)(
                text_of(name_box)))
            print(f"Next: '{first_name}' > '{shown}'")

        # Both settings dialogs and the About box, opened from the menu as a user does.
        for menu, item, title in (("Dialer Settings", "Modem Port", "Com Port"),
                                  ("Dialer Settings", "Area Code", "Prefix"), ("About", "About", "About")):
            click(wait_for(f"no '{menu}' menu", lambda: find(main_window, pyatspi.ROLE_MENU_ITEM, menu)))
            click(wait_for(f"no '{item}' item in the menu '{menu}'",
                           lambda: next((a for a in descendants(app)
                                         if a.getRole() == pyatspi.ROLE_MENU_ITEM and a.name == item
                                         and a.parent.getRole() != pyatspi.ROLE_MENU_BAR
                                         and showing(a)), None)))
            list_controls(wait_for(f"'{item}' opened no window '{title}'", lambda: window(app, title)))
    finally:
        if program is not None:
            program.kill()
            program.wait()
        shutil.rmtree(work, ignore_errors=True)

    if failures:
        sys.exit(1)
    print("1 passed, 0 failed")


if __name__ == "__main__":
    main()
