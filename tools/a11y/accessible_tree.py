#!/usr/bin/python3
"""What a screen reader finds of a program, read from the AT-SPI registry.

    accessible_tree.py --app TileMender [--wait 10] [--extents] [--at X,Y | --press NAME]
    accessible_tree.py --app TileMender --listen 5 --run 'xdotool key Tab' \
        [--until 'corner piece']

The first form waits (at most --wait seconds) until the program is on the
registry with a window that has children, then prints its tree, one node a
line, indented two spaces a level:

    role|name|description|state,state[ @x,y,w,h]

With --at X,Y it prints only the deepest node under that point of the
screen, found as a reader's mouse review finds it; with --press NAME it
does the press action of the first node named NAME.

The second form also listens: it prints the tree, starts listening for state
changes, description changes and focus, runs the --run command (the keys a
user would press, sent by the caller's tool), and prints one line an event

    event|type|role|name|detail|value

until --listen seconds have gone or, --settle seconds after it, an event's
value or name holds the --until text. It ends with status 0 when the program was found (and, with
--until, the awaited event came), 1 otherwise.

It runs with Debian's own python3 (pyatspi is a Debian package, not a pip one).
"""

import argparse
import subprocess
import sys
import time

try:
    import pyatspi
    from gi.repository import GLib
except ImportError as e:  # the caller prints how to install it
    print("no pyatspi: apt-get install python3-pyatspi (%s)" % e, file=sys.stderr)
    sys.exit(3)

# A tree that never ends (a program that makes a new child each time it is
# asked) must not hang the check.
MAX_DEPTH = 16
MAX_NODES = 4000


def field(text):
    # One line a node: the separators may not appear inside a field.
    return (text or "").replace("|", "/").replace("\n", " ")


def states_of(acc):
    try:
        return sorted(pyatspi.stateToString(s) for s in acc.getState().getStates())
    except Exception:
        return []


def extents_of(acc):
    try:
        e = acc.queryComponent().getExtents(pyatspi.DESKTOP_COORDS)
        return (e.x, e.y, e.width, e.height)
    except Exception:
        return None


def describe(acc, with_extents):
    try:
        role, name, desc = acc.getRoleName(), acc.name, acc.description
    except Exception:
        return None
    line = "|".join([field(role), field(name), field(desc), ",".join(states_of(acc))])
    if with_extents:
        e = extents_of(acc)
        if e:
            line += " @%d,%d,%d,%d" % e
    return line


def walk(acc, depth, out, with_extents, seen):
    if acc is None or depth > MAX_DEPTH or len(out) >= MAX_NODES:
        return
    key = hash(acc)
    if key in seen:
        return
    seen.add(key)
    line = describe(acc, with_extents)
    if line is None:
        return
    out.append("  " * depth + line)
    try:
        count = acc.childCount
    except Exception:
        return
    for i in range(min(count, MAX_NODES)):
        try:
            child = acc.getChildAtIndex(i)
        except Exception:
            continue
        walk(child, depth + 1, out, with_extents, seen)


def find_app(name):
    desktop = pyatspi.Registry.getDesktop(0)
    for i in range(desktop.childCount):
        try:
            app = desktop.getChildAtIndex(i)
            if app is not None and app.name and app.name.lower() == name.lower():
                return app
        except Exception:
            continue
    return None


def has_window(app):
    # A window whose parts are published, not only the application's node.
    try:
        for i in range(app.childCount):
            w = app.getChildAtIndex(i)
            if w is not None and w.childCount > 0:
                return True
    except Exception:
        pass
    return False


def wait_for_app(name, seconds):
    deadline = time.monotonic() + seconds
    while True:
        app = find_app(name)
        if app is not None and has_window(app):
            return app
        if time.monotonic() >= deadline:
            return app
        time.sleep(0.2)


def at_point(app, x, y):
    """The deepest node under a point of the screen, as a reader's mouse review finds it."""
    found = None
    for i in range(app.childCount):
        try:
            window = app.getChildAtIndex(i)
            e = extents_of(window)
        except Exception:
            continue
        if e and e[0] <= x < e[0] + e[2] and e[1] <= y < e[1] + e[3]:
            found = window
            break
    for _ in range(MAX_DEPTH):
        if found is None:
            break
        try:
            deeper = found.queryComponent().getAccessibleAtPoint(x, y, pyatspi.DESKTOP_COORDS)
        except Exception:
            deeper = None
        if deeper is None or deeper == found:
            break
        found = deeper
    return found


def find_named(acc, name, depth=0):
    if acc is None or depth > MAX_DEPTH:
        return None
    try:
        if depth > 0 and acc.name == name:
            return acc
        count = acc.childCount
    except Exception:
        return None
    for i in range(min(count, MAX_NODES)):
        try:
            found = find_named(acc.getChildAtIndex(i), name, depth + 1)
        except Exception:
            found = None
        if found is not None:
            return found
    return None


def press(app, name):
    """Does the first node named `name` its press action, as a reader's command would."""
    node = find_named(app, name)
    if node is None:
        print("nothing named %s" % name)
        return False
    try:
        action = node.queryAction()
        names = [action.getName(i) for i in range(action.nActions)]
    except Exception:
        names = []
    # Qt's bridge names it "Press".
    lowered = [n.lower() for n in names]
    if "press" not in lowered:
        print("%s offers no press (actions: %s)" % (name, ",".join(names) or "none"))
        return False
    action.doAction(lowered.index("press"))
    print("pressed %s" % name)
    return True


EVENTS = [
    "object:state-changed",
    "object:property-change:accessible-description",
    "object:property-change:accessible-name",
    "focus:",
]


def listen(app_name, seconds, command, until, settle):
    """Prints the events of app_name; True when the --until text came."""
    found = {"until": until is None}

    def on_event(event):
        try:
            src = event.source
            if src is None or src.getApplication() is None or src.getApplication().name.lower() != app_name.lower():
                return
            value = event.any_data if isinstance(event.any_data, str) else ""
            if event.type.startswith("object:property-change:accessible-description") and not value:
                value = src.description
            role, name = src.getRoleName(), src.name
        except Exception:
            return
        print("|".join(["event", field(event.type), field(role), field(name), str(event.detail1), field(value)]),
              flush=True)
        if until is not None and not found["until"] and (until in (value or "") or until in (name or "")):
            found["until"] = True
            # A little longer, so that a second telling of the same news is seen too.
            GLib.timeout_add(int(settle * 1000), give_up)

    pyatspi.Registry.registerEventListener(on_event, *EVENTS)

    def run_command():
        if command:
            subprocess.run(command, shell=True, check=False)
        return False

    def give_up():
        pyatspi.Registry.stop()
        return False

    # The command runs once the loop listens, so that no event is missed.
    GLib.idle_add(run_command)
    GLib.timeout_add(int(seconds * 1000), give_up)
    pyatspi.Registry.start()
    pyatspi.Registry.deregisterEventListener(on_event, *EVENTS)
    return found["until"]


def main():
    ap = argparse.ArgumentParser(description=__doc__.split("\n")[0])
    ap.add_argument("--app", required=True, help="the program's name on the registry")
    ap.add_argument("--wait", type=float, default=10.0, help="seconds to wait for its window")
    ap.add_argument("--extents", action="store_true", help="print each node's place on the screen")
    ap.add_argument("--no-tree", action="store_true", help="only the events")
    ap.add_argument("--press", default="", help="NAME: do the press action of the first node so named")
    ap.add_argument("--at", default="", help="X,Y: print only the node under this point of the screen")
    ap.add_argument("--listen", type=float, default=0.0, help="seconds to follow events")
    ap.add_argument("--run", default="", help="a shell command run once listening has started")
    ap.add_argument("--until", default=None, help="stop listening at an event holding this text")
    ap.add_argument("--settle", type=float, default=0.0, help="seconds to go on listening after --until")
    args = ap.parse_args()

    app = wait_for_app(args.app, args.wait)
    if app is None:
        print("no application named %s on the registry after %g s" % (args.app, args.wait), file=sys.stderr)
        return 1
    if args.press:
        return 0 if press(app, args.press) else 1
    if args.at:
        x, y = (int(v) for v in args.at.split(","))
        node = at_point(app, x, y)
        print(describe(node, False) if node is not None else "nothing at %d,%d" % (x, y))
        return 0 if node is not None else 1
    if not args.no_tree:
        out = []
        walk(app, 0, out, args.extents, set())
        print("\n".join(out), flush=True)
    if args.listen > 0:
        return 0 if listen(args.app, args.listen, args.run, args.until, args.settle) else 1
    return 0


if __name__ == "__main__":
    sys.exit(main())
