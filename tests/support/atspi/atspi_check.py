"""Helpers for the checks run by run.sh: the program under test as the accessibility bus shows it.

A check is a script that ends with ``atspi_check.run(check)``; ``check(app)`` gets the program's
application object once it is on the bus and raises ``Failed`` (or calls ``fail``) when something
is wrong. Every lookup waits up to a deadline instead of sleeping a fixed time. Roles are the names
pyatspi gives (``acc.getRoleName()``): "push button", "text", "image", "label", "slider",
"dialog", ... Names are matched exactly, by a compiled regular expression (``fullmatch``), or by a
function of the name.

    import re, atspi_check as at

    def check(app):
        save = at.find(app, "push button", "Save")
        at.press(save)
        slider = at.find(app, "slider", "Brightness")
        at.wait_until("the brightness at 30", lambda: at.value(slider) == 30)

    at.run(check)
"""

import os
import sys
import time

import pyatspi
from gi.repository import Gio, GLib

TIMEOUT = float(os.environ.get("ATSPI_TIMEOUT", "20"))
POLL = 0.05


class Failed(Exception):
    pass


def fail(message):
    raise Failed(message)


def wait_until(what, probe, timeout=TIMEOUT):
    """The first true result of probe(), tried until the deadline; Failed naming `what` after it.
    An object that goes away while it is looked at counts as not there yet."""
    deadline = time.monotonic() + timeout
    while True:
        try:
            result = probe()
        except (GLib.Error, LookupError, RuntimeError):
            result = None
        if result:
            return result
        if time.monotonic() >= deadline:
            fail(f"no {what} after {timeout:g} s")
        pump_events()
        time.sleep(POLL)


def wait_for_bus(timeout=10):
    """Exit 77 (a skip) unless the accessibility bus answers on the session bus before the deadline."""
    deadline = time.monotonic() + timeout
    error = "no answer"
    while time.monotonic() < deadline:
        try:
            session = Gio.bus_get_sync(Gio.BusType.SESSION, None)
            reply = session.call_sync("org.a11y.Bus", "/org/a11y/bus", "org.a11y.Bus", "GetAddress", None,
                                      GLib.VariantType.new("(s)"), Gio.DBusCallFlags.NONE, 1000, None)
            address = reply.unpack()[0]
            Gio.DBusConnection.new_for_address_sync(
                address,
                Gio.DBusConnectionFlags.AUTHENTICATION_CLIENT | Gio.DBusConnectionFlags.MESSAGE_BUS_CONNECTION,
                None, None).close_sync(None)
            return
        except GLib.Error as e:
            error = e.message
        time.sleep(0.1)
    print(f"SKIP: the accessibility bus did not start within {timeout} s: {error}", file=sys.stderr)
    sys.exit(77)


def program_ended():
    """Whether the program run.sh started ($ATSPI_PROGRAM_PID) has ended (exited or a zombie)."""
    pid = os.environ.get("ATSPI_PROGRAM_PID")
    if not pid:
        return False
    try:
        with open(f"/proc/{pid}/stat") as stat:
            return stat.read().rsplit(")", 1)[1].split()[0] == "Z"
    except OSError:
        return True


def application(name=None, timeout=TIMEOUT):
    """The application called `name` (default: $ATSPI_APP) once it is registered on the bus; fails
    at once when the program has ended before."""
    name = name or os.environ["ATSPI_APP"]
    desktop = pyatspi.Registry.getDesktop(0)

    def probe():
        if program_ended():
            fail(f"{name} ended before it appeared on the accessibility bus")
        for app in desktop:
            if app is not None and app.name == name and app.childCount > 0:
                return app
        return None

    return wait_until(f"application {name!r} on the accessibility bus", probe, timeout)


def descendants(root):
    """`root` and everything below it, depth first, in the order the bus lists them."""
    stack = [root]
    while stack:
        acc = stack.pop()
        if acc is None:
            continue
        yield acc
        stack.extend(reversed([acc.getChildAtIndex(i) for i in range(acc.childCount)]))


def _name_matches(name, wanted):
    if wanted is None:
        return True
    if callable(wanted):
        return wanted(name)
    if hasattr(wanted, "fullmatch"):
        return wanted.fullmatch(name) is not None
    return name == wanted


def find_all(root, role=None, name=None):
    """Every object below `root` (itself included) of `role` whose name matches `name`."""
    return [acc for acc in descendants(root)
            if (role is None or acc.getRoleName() == role) and _name_matches(acc.name, name)]


def find(root, role, name, timeout=TIMEOUT):
    """The one object of `role` named `name` below `root`, once it is there; more than one fails."""
    def probe():
        found = find_all(root, role, name)
        if len(found) > 1:
            fail(f"{len(found)} objects {role} {name!r}, not one")
        return found[0] if found else None

    try:
        return wait_until(f"{role} {name!r}", probe, timeout)
    except Failed as e:
        raise Failed(f"{e}; the tree:\n{tree(root)}") from None


def tree(root):
    """The tree below `root` as lines "role 'name'", indented by depth, hidden and focused marked."""
    lines = []

    def visit(acc, depth):
        if acc is None:
            return
        states = acc.getState()
        flags = "" if states.contains(pyatspi.STATE_SHOWING) else " (hidden)"
        flags += " (focused)" if states.contains(pyatspi.STATE_FOCUSED) else ""
        lines.append(f"{'  ' * depth}{acc.getRoleName()} {acc.name!r}{flags}")
        for i in range(acc.childCount):
            visit(acc.getChildAtIndex(i), depth + 1)

    try:
        visit(root, 0)
    except (GLib.Error, LookupError, RuntimeError) as e:
        lines.append(f"(the tree changed while it was read: {e})")
    return "\n".join(lines)


def action_names(acc):
    action = acc.queryAction()
    return [action.getName(i) for i in range(action.nActions)]


def do_action(acc, name):
    """Carries out the action called `name` (case ignored) of `acc`."""
    action = acc.queryAction()
    for i in range(action.nActions):
        if action.getName(i).lower() == name.lower():
            if not action.doAction(i):
                fail(f"{acc.getRoleName()} {acc.name!r} refused its action {name!r}")
            return
    fail(f"{acc.getRoleName()} {acc.name!r} has no action {name!r}, only {action_names(acc)}")


def press(acc):
    do_action(acc, "Press")


def set_text(acc, text):
    """Replaces the whole text of an editable object, as a screen reader's typing does."""
    if not acc.queryEditableText().setTextContents(text):
        fail(f"{acc.getRoleName()} {acc.name!r} refused the text {text!r}")


def text(acc):
    t = acc.queryText()
    return t.getText(0, t.characterCount)


def value(acc):
    return acc.queryValue().currentValue


class Events:
    """Records the bus's events of the given types (e.g. "object:property-change:accessible-name")
    from now on; wait_until and wait_for pump them while they wait."""

    def __init__(self, *types):
        self.seen = []
        self._types = types
        pyatspi.Registry.registerEventListener(self._record, *types)

    def _record(self, event):
        self.seen.append(event)

    def close(self):
        pyatspi.Registry.deregisterEventListener(self._record, *self._types)

    def wait_for(self, what, match, timeout=TIMEOUT):
        """The first event recorded for which match(event) is true."""
        return wait_until(what, lambda: next((e for e in self.seen if match(e)), None), timeout)


def pump_events():
    context = GLib.MainContext.default()
    while context.pending():
        context.iteration(False)


def run(check):
    """Waits for the program's application on the bus and runs check(app): exit 0 when it returns,
    1 with the message when it fails."""
    try:
        app = application()
        check(app)
    except Failed as e:
        print(f"FAIL: {e}", file=sys.stderr)
        sys.exit(1)
    print("PASS")
    sys.exit(0)
