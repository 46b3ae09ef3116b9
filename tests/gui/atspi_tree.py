"""Prints the accessible tree of one running program, as screen readers
read it through AT-SPI: one JSON object per line, {"depth", "role", "name",
"text", "showing", "active", "extents"}, in document order; extents are [x, y, width,
height] in the coordinates of the node's window (the only ones Wayland
gives), or null.

Run with Debian's /usr/bin/python3 (which has pyatspi) on the session bus
the program uses: atspi_tree.py PID [SECONDS] [--press NAME]. Waits up to
SECONDS (10) for the program to join the accessibility bus and show a
window; status 1 if it never does. With --press, it then does the first
action of the push button named NAME (as a screen reader's user would
press it), status 1 if there is none, and prints nothing.
"""
import json
import sys

import pyatspi
from gi.repository import GLib

from xsession import Timeout, wait_for


def find_application(pid):
    desktop = pyatspi.Registry.getDesktop(0)
    for index in range(desktop.childCount):
        app = desktop.getChildAtIndex(index)
        try:
            if app is not None and app.get_process_id() == pid and app.childCount > 0:
                return app
        except Exception:  # an application that went away while listed
            continue
    return None


def text_of(node):
    try:
        text = node.queryText()
    except NotImplementedError:
        return None
    return text.getText(0, text.characterCount)


def extents_of(node):
    try:
        box = node.queryComponent().getExtents(pyatspi.WINDOW_COORDS)
    except NotImplementedError:
        return None
    return [box.x, box.y, box.width, box.height]


def walk(node, depth, out):
    try:
        states = node.getState()
        out.append({"depth": depth, "role": node.getRoleName(), "name": node.name,
                    "text": text_of(node), "showing": states.contains(pyatspi.STATE_SHOWING),
                    "active": states.contains(pyatspi.STATE_ACTIVE),
                    "extents": extents_of(node)})
        children = [node.getChildAtIndex(index) for index in range(node.childCount)]
    except GLib.GError:  # gone while being read (a list still being filled)
        return
    for child in children:
        if child is not None:
            walk(child, depth + 1, out)


def press(nodes, name):
    for node in nodes:
        if node.getRoleName() == "push button" and node.name == name:
            return node.queryAction().doAction(0)
    return False


def all_nodes(node):
    yield node
    for index in range(node.childCount):
        child = node.getChildAtIndex(index)
        if child is not None:
            yield from all_nodes(child)


def main():
    args = sys.argv[1:]
    button = None
    if "--press" in args:
        at = args.index("--press")
        button = args[at + 1]
        del args[at:at + 2]
    pid = int(args[0])
    seconds = float(args[1]) if len(args) > 1 else 10.0
    try:
        app = wait_for(lambda: find_application(pid), timeout=seconds, interval=0.1,
                       what=f"an accessible application with process id {pid}")
    except Timeout as error:
        print(error, file=sys.stderr)
        return 1
    if button is not None:
        return 0 if press(all_nodes(app), button) else 1
    nodes = []
    walk(app, 0, nodes)
    for node in nodes:
        print(json.dumps(node, ensure_ascii=False))
    return 0


if __name__ == "__main__":
    sys.exit(main())
