#!/usr/bin/python3
"""Presses Brindle's Options button as a screen reader would, over AT-SPI.

Run on a session bus (dbus-run-session) and an X display (xvfb-run); the
accessibility bus is started on demand by the session bus. Starts the program
given with Qt's accessibility bridge on, finds the push button named like
Options' tool tip, presses it through its action and waits for the "Options"
window. Every wait is bounded and fails loudly.

    press_options.py <brindle executable>
"""
import os
import shutil
import subprocess
import sys
import tempfile

import pyatspi
from gi.repository import GLib

TIMEOUT_S = 30


def fail(message):
    print("FAIL: " + message, file=sys.stderr)
    sys.exit(1)


def wait_for(what, find, events):
    """Runs the main loop until find() answers something: checked at every
    event named and every 100 ms (some changes, like an application joining
    the bus, send no event to us); fails after TIMEOUT_S."""
    loop = GLib.MainLoop()
    found = []

    def check(*_):
        try:
            value = find()
        except GLib.GError:  # an object went away while we looked at it
            value = None
        if value is not None and not found:
            found.append(value)
            loop.quit()
        return not found

    def give_up():
        loop.quit()
        return False

    for event in events:
        pyatspi.Registry.registerEventListener(check, event)
    sources = [GLib.timeout_add(100, check), GLib.timeout_add_seconds(TIMEOUT_S, give_up)]
    if check():
        loop.run()
    for event in events:
        pyatspi.Registry.deregisterEventListener(check, event)
    for source in sources:
        if GLib.MainContext.default().find_source_by_id(source):
            GLib.source_remove(source)
    if not found:
        fail("no %s within %d s" % (what, TIMEOUT_S))
    return found[0]


def application(name):
    for app in pyatspi.Registry.getDesktop(0):
        if app is not None and app.name == name:
            return app
    return None


def descendant(root, role, name):
    return pyatspi.findDescendant(
        root, lambda node: node is not None and node.getRole() == role and node.name == name)


def top_level(app, name):
    for window in app:
        if window is not None and window.name == name and \
                window.getState().contains(pyatspi.STATE_SHOWING):
            return window
    return None


def press(button):
    action = button.queryAction()
    names = [action.getName(i) for i in range(action.nActions)]
    if "Press" not in names:
        fail("the button offers no Press action, only %s" % names)
    if not action.doAction(names.index("Press")):
        fail("the Press action was refused")


def main():
    if len(sys.argv) != 2:
        fail("usage: press_options.py <brindle executable>")
    scratch = tempfile.mkdtemp(prefix="brindle-atspi-")
    # A copy outside the build tree keeps its settings in XDG_CONFIG_HOME.
    program = shutil.copy(sys.argv[1], scratch)
    environment = dict(os.environ, QT_LINUX_ACCESSIBILITY_ALWAYS_ON="1", QT_QPA_PLATFORM="xcb",
                       XDG_CONFIG_HOME=os.path.join(scratch, "config"))
    brindle = subprocess.Popen([program, "/Embedding"], env=environment)
    try:
        app = wait_for("application 'brindle' on the accessibility bus",
                       lambda: application("brindle"), ["object:children-changed"])
        button = wait_for("push button named 'Options'",
                          lambda: descendant(app, pyatspi.ROLE_PUSH_BUTTON, "Options"),
                          ["object:children-changed", "window:create"])
        press(button)
        window = wait_for("window 'Options'", lambda: top_level(app, "Options"),
                          ["window:create", "window:activate", "object:children-changed"])
        print("PASS: pressed %r, %s window %r appeared" %
              (button.name, window.getRoleName(), window.name))
    finally:
        brindle.kill()
        brindle.wait(timeout=TIMEOUT_S)
        shutil.rmtree(scratch, ignore_errors=True)


if __name__ == "__main__":
    main()
