"""Reads the accessibility tree of the program under test, for the driver (driver.py).

Runs inside one test session's D-Bus session, as its own process: the accessibility library
keeps one connection per process, and every session has its own bus. It answers one command
per line on standard input with one JSON line on standard output (null while the program is
not on the bus, {"error": ...} when a call to it failed):

  windows         the program's top-level windows: [{"role", "name", "description"}, ...]
  tree [NAME]     the program's tree, or only its top-level window NAME, as nested nodes
  at X Y          the innermost object at screen point X,Y, without its children
  focused         the object that has the focus now, with its parent's name
  focus           the objects that gained the focus since the last "focus", oldest first,
                  each with its parent's name
"""

import json
import sys

import pyatspi
from gi.repository import GLib

PROGRAM = "quorlex-config"
STATES = {
    "enabled": pyatspi.STATE_ENABLED,
    "visible": pyatspi.STATE_VISIBLE,
    "showing": pyatspi.STATE_SHOWING,
    "focused": pyatspi.STATE_FOCUSED,
    "checked": pyatspi.STATE_CHECKED,
}

focus_events = []


def summary(acc):
    return {"role": acc.getRoleName(), "name": acc.name, "description": acc.description}


def with_parent(acc):
    parent = acc.parent
    return dict(summary(acc), parent=parent.name if parent else "")


def on_focus(event):
    if event.detail1:
        focus_events.append(with_parent(event.source))


def focused(acc):
    states = acc.getState()
    if states.contains(pyatspi.STATE_FOCUSED):
        return acc
    if not states.contains(pyatspi.STATE_SHOWING):
        return None
    for child in acc:
        found = child is not None and focused(child)
        if found:
            return found
    return None


def node(acc, children=True):
    out = summary(acc)
    states = acc.getState()
    out["states"] = [name for name, state in STATES.items() if states.contains(state)]
    interfaces = pyatspi.listInterfaces(acc)
    if "Component" in interfaces:
        box = acc.queryComponent().getExtents(pyatspi.DESKTOP_COORDS)
        out["extents"] = [box.x, box.y, box.width, box.height]
    if "Text" in interfaces and out["role"] in ("text", "entry", "password text"):
        out["text"] = acc.queryText().getText(0, -1)
    if children:
        out["children"] = [node(child) for child in acc if child is not None]
    return out


def program():
    desktop = pyatspi.Registry.getDesktop(0)
    for app in desktop:
        if app is not None and app.name == PROGRAM:
            app.clear_cache()
            return app
    return None


def answer(command):
    words = command.split(None, 1)
    if not words:
        return None
    if words[0] == "focus":
        events = list(focus_events)
        focus_events.clear()
        return events
    app = program()
    if app is None:
        return None
    if words[0] == "at":
        x, y = (int(v) for v in words[1].split())
        for window in app:
            if window is None or not window.getState().contains(pyatspi.STATE_SHOWING):
                continue
            found = window.queryComponent().getAccessibleAtPoint(x, y, pyatspi.DESKTOP_COORDS)
            if found is not None:
                return node(found, children=False)
        return None
    if words[0] == "focused":
        for window in app:
            found = window is not None and focused(window)
            if found:
                return with_parent(found)
        return None
    if words[0] == "windows":
        return [summary(window) for window in app if window is not None]
    if words[0] == "tree":
        if len(words) == 1:
            return node(app)
        for window in app:
            if window is not None and window.name == words[1]:
                return node(window)
        return None
    raise ValueError("unknown command: " + command)


def main():
    pyatspi.Registry.registerEventListener(on_focus, "object:state-changed:focused")
    context = GLib.MainContext.default()
    print(json.dumps("ready"), flush=True)
    for line in sys.stdin:
        while context.iteration(False):
            pass
        try:
            reply = answer(line.strip())
        except GLib.Error as error:  # the program went away or is busy: the driver retries
            reply = {"error": str(error)}
        print(json.dumps(reply), flush=True)


if __name__ == "__main__":
    main()
