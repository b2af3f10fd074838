"""One end-to-end session: a copy of the built program in a fresh folder, started under its own
Xvfb and its own D-Bus session with the accessibility bus, driven only by real X input events
(xdotool, xclip) and read back through the file it writes and its accessibility tree.

Every process a session starts runs in its own process group and is ended by that group's id
when the session closes, also when a case fails.
"""

import contextlib
import ctypes
import json
import os
import select
import shutil
import signal
import subprocess
import sys
import tempfile
import time

import layout

HERE = os.path.dirname(os.path.abspath(__file__))
FILE_NAME = "QUORLEX_CONFIG.txt"
PROGRAM_NAME = "quorlex-config"
ATSPI_LAUNCHER = "/usr/libexec/at-spi-bus-launcher"
TIMEOUT = 30.0
# Characters outside US ASCII that the cases type.
TYPED_KEYSYMS = ("udiaeresis", "ssharp", "EuroSign")

# The accessibility role each kind of control must have.
ROLES = {"frame": "panel", "label": "label", "check box": "check box",
         "option button": "radio button", "text box": "text", "push button": "push button"}


def die_with_parent():
    """Run in a child before it starts: should the driver be killed outright (a ctest
    time-out), when no clean-up of its own can run, the kernel asks the child to end, and the
    child ends what it started itself (the accessibility bus its launcher runs)."""
    PR_SET_PDEATHSIG = 1
    ctypes.CDLL(None).prctl(PR_SET_PDEATHSIG, signal.SIGTERM)


class Skip(Exception):
    """The case cannot run on this machine; the message says why."""


def wait_until(what, probe, timeout=TIMEOUT, interval=0.05):
    """Polls `probe` until it returns something true and returns that, or fails after
    `timeout` seconds, naming `what` was awaited."""
    deadline = time.monotonic() + timeout
    while True:
        value = probe()
        if value:
            return value
        if time.monotonic() > deadline:
            raise AssertionError(f"timed out after {timeout:.0f} s waiting for {what}")
        time.sleep(interval)


def flatten(node, parent=None):
    """The nodes of an accessibility tree in document order, each with its parent's name."""
    node = dict(node, parent=parent)
    children = node.pop("children", [])
    yield node
    for child in children:
        yield from flatten(child, node["name"])


class Session:
    def __init__(self, program, expected_tool, scale=1, prepare=None):
        """`prepare(session)` runs once the program's folder exists and before the program is
        copied into it."""
        self.program = program
        self.expected_tool = expected_tool
        self.scale = scale
        self.prepare = prepare
        self.stack = contextlib.ExitStack()
        self.tmp = self.stack.enter_context(tempfile.TemporaryDirectory(prefix="quorlex-e2e-"))
        # A blank and a letter outside ASCII in the program's folder, as a server's may have.
        self.folder = os.path.join(self.tmp, "Game Server ü")
        self.file = os.path.join(self.folder, FILE_NAME)
        self.groups = []
        self.app = None
        self.env = None

    # -- processes ------------------------------------------------------------------------

    def __enter__(self):
        try:
            self.start()
        except BaseException:
            self.close()
            raise
        return self

    def __exit__(self, *exc):
        self.close()

    def spawn(self, args, env=None, **kwargs):
        process = subprocess.Popen(args, env=env or self.env, start_new_session=True,
                                   preexec_fn=die_with_parent,
                                   stdin=kwargs.pop("stdin", subprocess.DEVNULL), **kwargs)
        self.groups.append(process)
        return process

    def close(self):
        for process in reversed(self.groups):
            with contextlib.suppress(ProcessLookupError):
                os.killpg(process.pid, signal.SIGTERM)
        for process in reversed(self.groups):
            try:
                process.wait(5)
            except subprocess.TimeoutExpired:
                with contextlib.suppress(ProcessLookupError):
                    os.killpg(process.pid, signal.SIGKILL)
                process.wait(5)
            # Whatever the group still holds (services the bus started) goes with it.
            with contextlib.suppress(ProcessLookupError):
                os.killpg(process.pid, signal.SIGKILL)
        self.groups.clear()
        self.stack.close()

    def start(self):
        for sub in ("home", "runtime"):
            os.mkdir(os.path.join(self.tmp, sub), 0o700)
        os.mkdir(self.folder)
        if self.prepare:
            self.prepare(self)
        display = self.start_xvfb()
        self.env = {"PATH": os.environ.get("PATH", "/usr/bin:/bin"), "DISPLAY": display,
                    "HOME": os.path.join(self.tmp, "home"), "LANG": "C.UTF-8",
                    "XDG_RUNTIME_DIR": os.path.join(self.tmp, "runtime")}
        bus = self.spawn(["dbus-daemon", "--session", "--nofork", "--nopidfile",
                          "--print-address=1"], stdout=subprocess.PIPE, text=True,
                         stderr=self.log("dbus.log"))
        address = bus.stdout.readline().strip()
        if not address:
            raise AssertionError("dbus-daemon gave no address")
        self.env["DBUS_SESSION_BUS_ADDRESS"] = address
        self.spawn([ATSPI_LAUNCHER, "--launch-immediately"], stdout=subprocess.DEVNULL,
                   stderr=subprocess.DEVNULL)
        wait_until("the accessibility bus", self.atspi_bus_ready)
        self.bind_keys(TYPED_KEYSYMS)
        # The probe listens before the program starts: the program asks once, at its start,
        # which events anyone listens to, and sends only those.
        self.probe = self.spawn([sys.executable, os.path.join(HERE, "atspi_probe.py")],
                                stdin=subprocess.PIPE, stdout=subprocess.PIPE, text=True)
        if self.ask_raw() != "ready":
            raise AssertionError("the accessibility probe did not start")
        self.launch()

    def bind_keys(self, keysyms):
        """Puts `keysyms` on free keys of the keyboard. xdotool would otherwise change the
        keyboard mapping for each such character it types, and the program, which reloads the
        mapping when told of a change, can read a key by the mapping before or after it."""
        from Xlib import XK, display as xdisplay
        connection = xdisplay.Display(self.env["DISPLAY"])
        try:
            first = connection.display.info.min_keycode
            count = connection.display.info.max_keycode - first + 1
            free = [first + i for i, symbols in
                    enumerate(connection.get_keyboard_mapping(first, count)) if not any(symbols)]
            for keycode, name in zip(free, keysyms):
                symbol = XK.string_to_keysym(name)
                connection.change_keyboard_mapping(keycode, [(symbol, symbol)])
            connection.sync()
        finally:
            connection.close()

    def start_xvfb(self):
        read_end, write_end = os.pipe()
        log = self.log("xvfb.log")
        try:
            # A screen big enough for the window at every scale of the session.
            screen = f"{1280 * self.scale}x{1024 * self.scale}x24"
            self.spawn(["Xvfb", "-displayfd", str(write_end), "-screen", "0", screen,
                        "-dpi", "96", "-nolisten", "tcp", "-noreset"], env=dict(os.environ),
                       pass_fds=(write_end,), stdout=log, stderr=log)
        except OSError as error:
            raise Skip(f"Xvfb cannot be started: {error}") from None
        finally:
            os.close(write_end)
        with os.fdopen(read_end) as numbers:
            ready, _, _ = select.select([numbers], [], [], TIMEOUT)
            number = numbers.readline().strip() if ready else ""
        if not number.isdigit():
            log.seek(0)
            raise Skip("Xvfb did not start: " + " ".join(log.read().split()[-30:]))
        return ":" + number

    def atspi_bus_ready(self):
        reply = subprocess.run(["dbus-send", "--session", "--print-reply",
                                "--dest=org.freedesktop.DBus", "/org/freedesktop/DBus",
                                "org.freedesktop.DBus.NameHasOwner", "string:org.a11y.Bus"],
                               env=self.env, capture_output=True, text=True)
        return "boolean true" in reply.stdout

    def launch(self):
        """Starts the program from the folder it was copied to and waits for its window."""
        target = os.path.join(self.folder, PROGRAM_NAME)
        if not os.path.exists(target):
            shutil.copy2(self.program, target)
        env = dict(self.env, QT_QPA_PLATFORM="xcb", QT_LINUX_ACCESSIBILITY_ALWAYS_ON="1")
        if self.scale != 1:
            env["QT_SCALE_FACTOR"] = str(self.scale)
        # The working folder is not the program's: the file must land beside the program.
        self.app = self.spawn([target], env=env, cwd=self.tmp, stdout=self.log("program.log"),
                              stderr=subprocess.STDOUT)
        self.window = wait_until("the window", lambda: self.xdotool(
            "search", "--onlyvisible", "--name", f"^{layout.CAPTION}$", check=False))
        self.window = self.window.split()[0]
        geometry = dict(line.split("=") for line in
                        self.xdotool("getwindowgeometry", "--shell", self.window).split())
        self.origin = (int(geometry["X"]), int(geometry["Y"]))
        self.client_size = (int(geometry["WIDTH"]), int(geometry["HEIGHT"]))
        # Loaded: the command rows carry their names.
        nodes = wait_until("the window's accessibility tree", lambda: (
            lambda nodes: any(n["name"] == "wipeout" for n in nodes) and nodes)(self.nodes()))
        # The unit of accessible coordinates: Qt 6.4 gives them in device-independent pixels
        # also when QT_SCALE_FACTOR scales the window, where a screen reader needs device
        # pixels; later versions give device pixels.
        self.a11y_scale = nodes[0]["extents"][2] * layout.TWIPS_PER_PIXEL // layout.CLIENT_TWIPS[0]
        if self.a11y_scale not in (1, self.scale):
            raise AssertionError(f"accessible window extents {nodes[0]['extents']}")

    def log(self, name):
        """A log file of the session's, open for writing and reading."""
        return self.stack.enter_context(open(os.path.join(self.tmp, name), "w+"))

    # -- input ----------------------------------------------------------------------------

    def xdotool(self, *args, check=True):
        done = subprocess.run(["xdotool", *args], env=self.env, capture_output=True,
                              text=True, timeout=TIMEOUT)
        if check and done.returncode != 0:
            raise AssertionError(f"xdotool {' '.join(args)} failed: {done.stderr.strip()}")
        return done.stdout.strip()

    def point(self, name):
        x, y = layout.click_point(name, self.scale)
        return self.origin[0] + x, self.origin[1] + y

    def click_at(self, x, y):
        self.xdotool("mousemove", str(x), str(y), "click", "1")

    def click(self, *names):
        for name in names:
            self.click_at(*self.point(name))

    def focus_window(self):
        """Gives the window the keyboard focus unless it has it: no window manager gives it the
        focus, nor gives it back after a message box. Setting the focus again where it is would
        make the program drop the keys that arrive meanwhile."""
        if self.xdotool("getwindowfocus", check=False) == self.window:
            return
        self.xdotool("windowfocus", "--sync", self.window)
        wait_until("the window to take the focus", self.focused)

    def key(self, *keys):
        self.focus_window()
        self.xdotool("key", "--delay", "30", *keys)

    def type(self, text):
        self.focus_window()
        self.xdotool("type", "--delay", "20", "--", text)

    def paste(self, name, text):
        """Puts `text` on the clipboard and pastes it over the whole content of box `name`."""
        clip = self.spawn(["xclip", "-quiet", "-selection", "clipboard", "-t", "UTF8_STRING"],
                          stdin=subprocess.PIPE, stdout=subprocess.DEVNULL,
                          stderr=subprocess.DEVNULL)
        clip.stdin.write(text.encode("utf-8"))
        clip.stdin.close()
        wait_until("the clipboard", lambda: subprocess.run(
            ["xclip", "-o", "-selection", "clipboard"], env=self.env,
            capture_output=True).stdout == text.encode("utf-8"))
        self.click(name)
        self.key("ctrl+a", "ctrl+v")

    def close_window(self, window=None):
        """Asks the window (or the top-level X window `window`) to close, as a window
        manager's close button does."""
        from Xlib import X, display as xdisplay, protocol
        connection = xdisplay.Display(self.env["DISPLAY"])
        try:
            window = connection.create_resource_object("window", int(window or self.window))
            protocols = connection.intern_atom("WM_PROTOCOLS")
            delete = connection.intern_atom("WM_DELETE_WINDOW")
            event = protocol.event.ClientMessage(window=window, client_type=protocols,
                                                 data=(32, [delete, X.CurrentTime, 0, 0, 0]))
            window.send_event(event)
            connection.sync()
        finally:
            connection.close()

    # -- accessibility --------------------------------------------------------------------

    def ask_raw(self, command=""):
        if command:
            self.probe.stdin.write(command + "\n")
            self.probe.stdin.flush()
        ready, _, _ = select.select([self.probe.stdout], [], [], TIMEOUT)
        line = self.probe.stdout.readline() if ready else ""
        if not line:
            raise AssertionError(f"the accessibility probe gave no answer to {command!r}")
        return json.loads(line)

    def ask(self, command):
        reply = self.ask_raw(command)
        if isinstance(reply, dict) and "error" in reply:
            return None
        return reply

    def nodes(self, window=layout.CAPTION):
        tree = self.ask("tree " + window)
        return list(flatten(tree)) if tree else []

    def windows(self):
        return [w["name"] for w in self.ask("windows") or []]

    def focus_events(self):
        return self.ask("focus") or []

    def a11y_point(self, x, y):
        """Client-area device pixels as accessible (screen) coordinates."""
        return [(self.origin[0] + x) * self.a11y_scale // self.scale,
                (self.origin[1] + y) * self.a11y_scale // self.scale]

    def device_point(self, x, y):
        """Accessible coordinates as screen device pixels."""
        return x * self.scale // self.a11y_scale, y * self.scale // self.a11y_scale

    def expected_place(self, name):
        """Where the accessible box of control `name` must be, in accessible coordinates."""
        left, top, width, height = layout.pixel_rect(name, self.scale)
        return self.a11y_point(left, top) + [width * self.a11y_scale // self.scale,
                                             height * self.a11y_scale // self.scale]

    def find(self, name, nodes=None):
        """The accessible object of layout control `name`: the one with its kind's role at its
        place on screen, looked up in `nodes` (a tree from nodes()) or, without them, by asking
        the program what is under the control's probe point."""
        role = ROLES[layout.CONTROLS[name].kind]
        x, y = self.expected_place(name)[:2]
        if nodes is None:
            px, py = self.a11y_point(*layout.probe_point(name, self.scale))
            found = [self.ask(f"at {px} {py}")]
        else:
            found = nodes
        found = [n for n in found
                 if n and n["role"] == role and n.get("extents", [None] * 2)[:2] == [x, y]]
        if len(found) != 1:
            raise AssertionError(f"{len(found)} accessible {role}s at {x},{y} for {name}")
        return found[0]

    def text(self, name):
        return self.find(name)["text"]

    def checked(self, name):
        return "checked" in self.find(name)["states"]

    def wait_checked(self, name, checked):
        state = "ticked" if checked else "unticked"
        wait_until(f"{name} {state}", lambda: self.checked(name) == checked)

    def wait_text(self, name, text):
        wait_until(f"{name} to hold {len(text)} characters", lambda: self.text(name) == text)

    def focused(self):
        """The object that has the focus as (role, name, parent's name), or None."""
        found = self.ask("focused")
        return found and (found["role"], found["name"], found["parent"])

    def wait_focus(self, role, name, parent):
        """Waits for the focus change to the object `role` `name` inside `parent`."""
        seen = []

        def arrived():
            seen.extend((e["role"], e["name"], e["parent"]) for e in self.focus_events())
            return (role, name, parent) in seen
        try:
            wait_until("the focus", arrived, timeout=10)
        except AssertionError:
            raise AssertionError(f"the focus went to {seen} instead of {role} {name!r} in "
                                 f"{parent!r}; it is on {self.focused()}, X focus "
                                 f"{self.xdotool('getwindowfocus', check=False)}") from None

    # -- message boxes --------------------------------------------------------------------

    def box(self, title):
        """Waits for the message box `title`, a top-level window of its own; returns its text
        and its buttons' names and places."""
        window = wait_until(f"the box {title!r} as a window", lambda: self.xdotool(
            "search", "--onlyvisible", "--name", f"^{title}$", check=False))
        nodes = wait_until(f"the box {title!r} in the accessibility tree",
                           lambda: title in self.windows() and self.nodes(title))
        return dict(self.box_content(nodes), window=window.split()[0])

    @staticmethod
    def box_content(nodes):
        shown = [n for n in nodes if "showing" in n["states"]]
        return {"text": [n["name"] for n in shown if n["role"] == "label" and n["name"]],
                "buttons": {n["name"]: n["extents"] for n in shown if n["role"] == "push button"},
                # An icon would be a picture, or a label without text.
                "pictures": [n for n in shown if n["role"] in ("icon", "image")
                             or (n["role"] == "label" and not n["name"])]}

    def dismiss(self, title, box, how="OK"):
        """Dismisses the box, by a click on its OK button, by Escape or by asking its window
        to close, and waits until that box is gone (another box of the same title may follow
        it)."""
        if how == "OK":
            x, y, w, h = box["buttons"]["OK"]
            self.click_at(*self.device_point(x + w // 2, y + h // 2))
        elif how == "Escape":
            self.xdotool("windowfocus", "--sync", box["window"])
            self.xdotool("key", "Escape")
        else:
            self.close_window(box["window"])

        def gone():
            if title not in self.windows():
                return True
            nodes = self.nodes(title)
            return nodes and self.box_content(nodes)["text"] != box["text"]
        wait_until(f"the box {title!r} to close", gone)

    # -- the file -------------------------------------------------------------------------

    def file_id(self):
        try:
            info = os.stat(self.file)
        except FileNotFoundError:
            return None
        return (info.st_ino, info.st_mtime_ns, info.st_size)

    def read_file(self):
        with open(self.file, "rb") as f:
            return f.read()

    def create(self):
        """Presses "Create Config File" and returns the bytes of the file it writes."""
        before = self.file_id()
        self.click("Command1")
        wait_until("a new " + FILE_NAME, lambda: self.file_id() not in (None, before))
        return self.read_file()

    def expected(self, *args):
        """The expected file: ("default",) or ("tiered", L1, L2, "kick=2", ...)."""
        return subprocess.run([self.expected_tool, *args], check=True,
                              capture_output=True).stdout
