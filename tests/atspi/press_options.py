#!/usr/bin/python3
"""Works Brindle's main window as a screen reader would, over AT-SPI.

Run on a session bus (dbus-run-session), which starts the accessibility bus on
demand, and an X display (xvfb-run). Starts the program given with Qt's
accessibility bridge on; finds its eighteen picture buttons as named push
buttons; presses wave to MP3 through its action and hears it become checked;
presses the button named like Options' tool tip and waits for the "Options"
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
MP3_TO_WAVE = "Convert mp3 file to wave file"
WAVE_TO_MP3 = "Convert wave file to mp3 file"


def fail(message):
    print("FAIL: " + message, file=sys.stderr)
    sys.exit(1)


def wait_for(what, find, events, poll=True, action=None):
    """Listens for the events named, runs action(), then runs the main loop
    until find(event) answers something, asked at each event and, with poll,
    every 100 ms as well (an application joining the bus sends us no event).
    Fails after TIMEOUT_S."""
    loop = GLib.MainLoop()
    found = []

    def check(event=None):
        try:
            value = find(event)
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
    sources = [GLib.timeout_add_seconds(TIMEOUT_S, give_up)]
    if poll:
        sources.append(GLib.timeout_add(100, check))
    if action:
        action()
    if not poll or check():
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
    return next((app for app in pyatspi.Registry.getDesktop(0) if app and app.name == name), None)


def top_level(app, name):
    return next((window for window in app if window and window.name == name and
                 window.getState().contains(pyatspi.STATE_SHOWING)), None)


def checked(node):
    return node.getState().contains(pyatspi.STATE_CHECKED)


def press(button):
    action = button.queryAction()
    names = [action.getName(i) for i in range(action.nActions)]
    if "Press" not in names or not action.doAction(names.index("Press")):
        fail("%r could not be pressed; its actions: %s" % (button.name, names))


def check_picture_buttons(window):
    buttons = pyatspi.findAllDescendants(
        window, lambda node: node is not None and node.getRole() == pyatspi.ROLE_PUSH_BUTTON)
    by_name = {button.name: button for button in buttons}
    if len(buttons) != 18 or "" in by_name or len(by_name) != 18:
        fail("the main window shows push buttons named %s" % [b.name for b in buttons])
    if not checked(by_name[MP3_TO_WAVE]) or checked(by_name[WAVE_TO_MP3]):
        fail("MP3 to wave is not the one direction checked at start")
    wait_for("checked state change of %r" % WAVE_TO_MP3,
             lambda event: event if event and event.source.name == WAVE_TO_MP3 and
             event.detail1 == 1 else None,
             ["object:state-changed:checked"], poll=False,
             action=lambda: press(by_name[WAVE_TO_MP3]))
    if checked(by_name[MP3_TO_WAVE]):
        fail("MP3 to wave is still checked beside wave to MP3")
    return by_name


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
                       lambda _: application("brindle"), ["object:children-changed"])
        main_window = wait_for("window 'Brindle 2.17'", lambda _: top_level(app, "Brindle 2.17"),
                               ["window:create", "object:children-changed"])
        options = check_picture_buttons(main_window)["Options"]
        window = wait_for("window 'Options'", lambda _: top_level(app, "Options"),
                          ["window:create", "window:activate", "object:children-changed"],
                          action=lambda: press(options))
        print("PASS: pressed %r, %s window %r appeared" %
              (options.name, window.getRoleName(), window.name))
    finally:
        brindle.kill()
        brindle.wait(timeout=TIMEOUT_S)
        shutil.rmtree(scratch, ignore_errors=True)


if __name__ == "__main__":
    main()
