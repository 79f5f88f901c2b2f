#!/usr/bin/python3
"""Works Brindle's main window as a screen reader would, over AT-SPI.

Run on a session bus (dbus-run-session) and an X display (xvfb-run); the
accessibility bus is started on demand by the session bus. Starts the program
given with Qt's accessibility bridge on and finds its eighteen picture buttons
as named push buttons; presses the wave-to-MP3 direction through its action and
hears that it became checked; presses the button named like Options' tool tip
and waits for the "Options" window. Every wait is bounded and fails loudly.

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
MP3_TO_WAVE = "Convert mp3 file to wave file"
WAVE_TO_MP3 = "Convert wave file to mp3 file"


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


def expect_event(what, event_type, matches, action):
    """Runs action() and the main loop until an event of event_type that
    matches arrives; fails after TIMEOUT_S. Listening starts before the action,
    so the event cannot pass unheard."""
    loop = GLib.MainLoop()
    heard = []

    def listen(event):
        if matches(event) and not heard:
            heard.append(event)
            loop.quit()

    def give_up():
        loop.quit()
        return False

    pyatspi.Registry.registerEventListener(listen, event_type)
    timeout = GLib.timeout_add_seconds(TIMEOUT_S, give_up)
    action()
    loop.run()
    pyatspi.Registry.deregisterEventListener(listen, event_type)
    if heard:
        GLib.source_remove(timeout)
    else:
        fail("no %s within %d s" % (what, TIMEOUT_S))


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


def checked(node):
    return node.getState().contains(pyatspi.STATE_CHECKED)


def check_picture_buttons(window):
    buttons = pyatspi.findAllDescendants(
        window, lambda node: node is not None and node.getRole() == pyatspi.ROLE_PUSH_BUTTON)
    names = [button.name for button in buttons]
    if len(buttons) != 18 or not all(names):
        fail("the main window shows %d push buttons, named %s" % (len(buttons), names))
    by_name = dict(zip(names, buttons))
    if not checked(by_name[MP3_TO_WAVE]) or checked(by_name[WAVE_TO_MP3]):
        fail("MP3 to wave is not the one direction checked at start")
    expect_event("checked state change of '%s'" % WAVE_TO_MP3, "object:state-changed:checked",
                 lambda event: event.source.name == WAVE_TO_MP3 and event.detail1 == 1,
                 lambda: press(by_name[WAVE_TO_MP3]))
    if checked(by_name[MP3_TO_WAVE]):
        fail("MP3 to wave is still checked beside wave to MP3")


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
        main = wait_for("window 'Brindle 2.17'", lambda: top_level(app, "Brindle 2.17"),
                        ["window:create", "object:children-changed"])
        check_picture_buttons(main)
        button = descendant(main, pyatspi.ROLE_PUSH_BUTTON, "Options")
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
