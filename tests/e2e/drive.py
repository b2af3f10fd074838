#!/usr/bin/python3
# The released program, unpacked into a folder whose name has a blank and a non-ASCII letter,
# started the way its users start it (the Linux launcher, or wine for the Windows zip) from
# another working folder, under an Xvfb of its own, and driven by real X input: clicks, keys,
# pastes through the clipboard, Return on its message boxes, and the window manager's close
# request. Both faces go through the same scenario; each step is checked through the file it
# writes beside the program.
#
#   drive.py linux ARCHIVE.tar.gz SCENARIO
#   drive.py wine ARCHIVE.zip SCENARIO CODEPAGE DPI limited.exe planted.dll NAME,...
#   drive.py wineunit PROGRAM.exe     (a test program of the Windows build, under the same wine)
#
# SCENARIO is "full", the whole walk below; "refused", the program's folder taking no new file
# from the start; or "plain", the file written from the defaults, once. CODEPAGE is 1252 or 932
# (a double-byte code page: a shorter scenario on the byte limit, and a read-only file and a full
# disk), DPI 96 or 144 (150 %, on a 1920 x 1080 screen). Under wine, planted.dll lies in the
# program's folder under each NAME.dll, preferred to wine's own as Windows would prefer it, and
# must never be loaded; limited.exe starts the program with an administrator's limited rights
# ("refused"). A box's text is read as its users' tools read it: Ctrl+C on a Windows box, the
# accessibility bus (AT-SPI) on Linux, where a screen reader also reads every control's name.
# What only one system can show is checked there alone: under wine, the restart as
# administrator; Return on the focused button, which Qt on Linux leaves to default buttons (Space
# there). On Linux a full disk and a failed sync are tst_writer's; under wine the replace while
# another program holds the file, the Windows window's names, tab order and DPI change are
# tst_win32's.
import contextlib, glob, os, re, resource, shlex, shutil, signal, subprocess, sys, tempfile
import threading, time
import Xlib.threaded  # noqa: F401 (one X connection, used by the clipboard's thread and the driver)
from Xlib import X, Xatom, display, protocol

HERE = os.path.dirname(os.path.abspath(__file__))
GOLDEN = open(f"{HERE}/../data/QUORLEX_CONFIG.txt", "rb").read()
# What the full scenario's tiered admin writes: the passwords, addmsg Low and kick Intermediate.
TIERED = b"UseTieredAdmin=1\r\n\r\n\r\n[Password]\r\nL1Pass=greenharbor\r\n" \
         b"L2Pass=silvermountainrivers\r\n\r\n\r\n[Commands]\r\naddmsg=1\r\nkick=2\r\n"
# The characters that Windows-1252 puts at 0x80-0x9F, as Python's codec defines them.
CP1252_HIGH = bytes(range(0x80, 0xA0)).decode("cp1252", "ignore")
# The command catalogue, from its one source.
COMMANDS = "".join(re.findall(r'u"([a-z,]+)"', open(f"{HERE}/../../config/accesslevel.cpp").read()
                              .split("kCommandCatalogue")[1].split(";")[0])).split(",")
# The controls used: the corners of their containers, in twips from the window's client area,
# added up, then the control's own size, whose middle is clicked.
PLACES = {f"message {n}": [(60, 3660), (60, 300 * n - 60), (7935, 285)] for n in range(1, 11)} | {
    "Create Config File": [(6660, 7080), (1515, 315)],
    "Use External IP Banner": [(5820, 60), (120, 300), (2055, 255)],
    "Message Frequency": [(5820, 60), (1860, 2100), (375, 285)],
    "Use Tiered Admin?": [(8220, 120), (1695, 255)],
    "kick: Intermediate": [(8220, 420), (1140, 6600), (540, 180), (195, 195)],
    "kick: Full": [(8220, 420), (1140, 6600), (780, 180), (195, 195)]}


# Every program started inherits the driver's environment, which each run's setup extends.
def run(*args, check=True):
    return subprocess.run(args, check=check, capture_output=True, errors="replace").stdout


def check(ok, what):
    print("ok:" if ok else "FAIL:", what, flush=True)
    if not ok and os.environ.get("QUORLEX_E2E_SHOT"):
        # The screen as it was, for whoever looks into the failure.
        subprocess.run(["import", "-window", "root", os.environ["QUORLEX_E2E_SHOT"]])
    ok or sys.exit(1)


def wait(what, probe, timeout=60):
    deadline = time.monotonic() + timeout
    while not (value := probe()) and time.monotonic() < deadline:
        time.sleep(0.1)
    return value or check(False, f"waited {timeout} s for {what}")


def find(title):
    found = run("xdotool", "search", "--onlyvisible", "--name", f"^{title}$", check=False)
    return found.split()[0] if found else None


def pixels(twips):
    return (twips * dpi + 720) // 1440  # rounded, as Windows' MulDiv rounds


def click(place):
    *corners, size = PLACES[place]
    x, y = (pixels(sum(c[i] for c in corners) + size[i] // 2) for i in (0, 1))
    run("xdotool", "mousemove", "--window", window, str(x), str(y), "click", "1")


def keys(*names):
    run("xdotool", "windowfocus", "--sync", window, "key", "--delay", "50", *names)


# Owns the clipboard with a text and counts the programs' requests for it, so that a paste is known
# to have arrived before the next text takes its place. Its X connection also sends the window
# manager's close request.
class Clipboard:

    def __init__(self):
        self.screen = display.Display(os.environ["DISPLAY"])
        self.atom = self.screen.intern_atom
        self.owner = self.screen.screen().root.create_window(0, 0, 1, 1, 0, 0)
        self.text, self.served, self.lock = b"", 0, threading.Lock()
        threading.Thread(target=self.serve, daemon=True).start()

    def set(self, text):
        with self.lock:
            self.text, self.served = text.encode(), 0
            self.owner.set_selection_owner(self.atom("CLIPBOARD"), 0)
            self.screen.flush()

    def serve(self):
        texts = [self.atom("UTF8_STRING"), self.atom("text/plain;charset=utf-8"), Xatom.STRING]
        targets = texts + [self.atom("TARGETS")]
        # Until the X server goes at the end of the run.
        with contextlib.suppress(Exception):
            for event in iter(self.screen.next_event, None):
                if event.type == X.SelectionRequest:
                    # Each answer goes out whole before the next text takes the clipboard:
                    # without that, wine now and then missed a paste or a box's copy.
                    with self.lock:
                        prop = event.property or event.target
                        if event.target == targets[-1]:
                            event.requestor.change_property(prop, Xatom.ATOM, 32, targets)
                        elif event.target in texts:
                            event.requestor.change_property(prop, event.target, 8, self.text)
                            self.served += 1
                        else:
                            prop = X.NONE
                        event.requestor.send_event(protocol.event.SelectionNotify(
                            time=event.time, requestor=event.requestor, selection=event.selection,
                            target=event.target, property=prop))
                        self.screen.flush()


def paste(place, text):
    clipboard.set(text)
    click(place)
    keys("ctrl+a", "ctrl+v")
    wait("the program to take the pasted text", lambda: clipboard.served)


def copied(title):
    # What a Windows box puts on the clipboard at Ctrl+C: a message box its title, text and
    # buttons between rules; a task dialog each part under its name in brackets.
    text = run("xclip", "-o", "-selection", "clipboard", check=False).replace("\r", "")
    parts = text.split("-" * 27 + "\n")
    return text if text.startswith(f"[Window Title]\n{title}\n") else (
        len(parts) > 3 and parts[1] == title + "\n" and parts[2].strip())


# The program as a screen reader sees it on Linux: the window or box called `title`, or the whole
# program.
def accessible(title=None):
    import pyatspi
    for program in pyatspi.Registry.getDesktop(0):
        if program is not None and program.get_process_id() == app.pid:
            return program if title is None else next(
                (w for w in program if w is not None and w.name == title), None)


# The names of `node`'s descendants of the given roles, in the order a screen reader walks them.
def spoken(node, roles):
    for child in filter(None, node):
        if child.getRoleName() in roles:
            yield child.name
        yield from spoken(child, roles)


# Answers each box in turn with Return, once it shows, and returns their texts.
def answer(*titles):
    texts = []
    for title in titles:
        box = wait(f'the "{title}" box', lambda: find(title))
        if kind == "wine":
            clipboard.set("")
            run("xdotool", "windowfocus", "--sync", box, "key", "ctrl+c")
            texts.append(wait(f'the text of the "{title}" box', lambda: copied(title)))
        else:
            node = wait(f'the "{title}" box on the accessibility bus', lambda: accessible(title))
            texts.append("\n".join(filter(None, spoken(node, ("label",)))))
        run("xdotool", "windowfocus", "--sync", box, "key", "Return")
        wait(f'the "{title}" box to close', lambda: not find(title))
    return texts


# Clicks "Create Config File" and answers the boxes expected.
def press(*boxes):
    click("Create Config File")
    return answer(*boxes)


def written(expected, what, *boxes):
    press(*boxes)
    wait(f"the file {what}: {read()!r}", lambda: read() == expected, timeout=15)
    check(not (find("Warning") or find("Error")), f"the file {what}, and no box but those expected")


def read():
    return open(file, "rb").read() if os.path.isfile(file) else None


# Closes the window as the window manager does; returns the exit status of the program started,
# or, for a window of a program started otherwise (`restarted`), 0 once it has gone.
def close(restarted=False):
    atom = clipboard.atom
    clipboard.screen.create_resource_object("window", int(window)).send_event(
        protocol.event.ClientMessage(window=int(window), client_type=atom("WM_PROTOCOLS"),
                                     data=(32, [atom("WM_DELETE_WINDOW"), X.CurrentTime, 0, 0, 0])))
    clipboard.screen.flush()
    if not restarted:
        return app.wait(60)
    return 0 if wait("the window to close", lambda: not find("QUORLEX_CONFIG")) else 1


def plain():
    written(GOLDEN, "written from the defaults")
    check(close() == 0, "closed with status 0")


# The program's folder takes no new file from the start: said at once, with the folder and the
# system's reason; on Windows, where more rights may mend it, with an offer to start the tool again
# as administrator, which Return takes. Pressing the button then gives "Error" and leaves nothing
# behind.
def refused():
    global window
    notice = answer("Folder not writable")[0]
    check((folder if kind == "linux" else "Z:" + folder.replace("/", "\\")) in notice and
          ("Restart as administrator" in notice) == (kind == "wine"), f"said at start: {notice!r}")
    if kind == "wine":
        check(app.wait(60) == 0, "the tool ended once it had started again as administrator")
        notice = answer("Folder not writable")[0]
        check("Even as administrator" in notice and "[Restart" not in notice,
              f"refused even as administrator, and no offer again: {notice!r}")
        window = wait("the new instance's window", lambda: find("QUORLEX_CONFIG"))
    check(press("Error")[0] and set(os.listdir(folder)) == shipped, "pressed: Error, nothing left")
    check(close(restarted=kind == "wine") == 0, "closed with status 0")


def full():
    size = run("xdotool", "getwindowgeometry", window).split("Geometry: ")[1].split()[0]
    check(size == f"{pixels(14805)}x{pixels(9330)}", f"the window's client area {size} at {dpi} dpi")
    if kind == "linux":
        # What a screen reader says for every text box and level button.
        names = [f"Message {k}" for k in range(1, 11)] + ["Message Frequency"] + [
            f"{c}: {level}" for c in COMMANDS for level in "Disabled Low Intermediate Full".split()]
        names += ["Low Access Password", "Intermediate Access Password"]
        heard = list(spoken(wait("the program over AT-SPI", accessible), ("text", "radio button")))
        check(heard == names, f"every text box and level button named: {len(heard)} names")
    if codepage == "932":
        # 100 characters, 200 bytes in code page 932: cut to 196 bytes by whole characters.
        paste("message 3", "日" * 100)
        earlier = GOLDEN.replace(b"<2>", b"<2>" + "日".encode("cp932") * 98)
        written(earlier, "with 98 of 100 double-byte characters", "Warning")
        # A read-only file, then a full disk (a file-size limit fails the write as one does):
        # "Error" each time, and the earlier file and the folder stay as they were.
        os.chmod(file, 0o444)
        check("is not writable" in press("Error")[0], "a read-only file: the reason")
        os.chmod(file, 0o644)
        limit = resource.prlimit(app.pid, resource.RLIMIT_FSIZE, (100, resource.RLIM_INFINITY))
        full = press("Error")[0]
        resource.prlimit(app.pid, resource.RLIMIT_FSIZE, limit)
        check(read() == earlier and set(os.listdir(folder)) == shipped | {"QUORLEX_CONFIG.txt"},
              f"a full disk: no change, nothing left behind: {full!r}")
        return check(close() == 0, "closed with status 0")

    # The focus starts on "Shotgun", and Space ticks it.
    keys("space")
    expected = GOLDEN.replace(b"shotgun=0", b"shotgun=1")
    written(expected, "written from the keyboard's tick")
    check(not os.path.exists(os.path.join(tmp, "QUORLEX_CONFIG.txt")),
          "the file written beside the program, not in the working folder")
    click("Use External IP Banner")
    update = answer("Update")
    check(update == ["The 3rd party ip log ban utility is no longer supported. please upgrade to "
                     "the integrated ip log/ban utility"], f'the "Update" box: {update}')

    # The grid takes no click until "Use Tiered Admin?" is ticked, and none once it is unticked
    # again; what was chosen stays.
    for place in ("kick: Full", "Use Tiered Admin?", "kick: Intermediate", "Use Tiered Admin?",
                  "kick: Full", "Use Tiered Admin?"):
        click(place)
    # Tab goes from "Use Tiered Admin?" to the selected level of the first row, and an arrow key
    # moves that row's level: addmsg becomes Low.
    keys("Tab", "Right")

    paste("message 3", "Grüße e\u0301 " + CP1252_HIGH)
    paste("message 4", "x" * 40000)
    keys("ctrl+a", "ctrl+c")  # the box holds all of it: only the writer shortens a message
    wait("the 40,000 characters pasted into a message box copied back from it", lambda: run(
        "xclip", "-o", "-selection", "clipboard", check=False) == "x" * 40000, timeout=15)
    paste("message 5", "tab\there\r\nline\u2028end\x7f")
    paste("Message Frequency", " 30")
    expected = (expected.replace(b"<2>", b"<2>Gr\xfc\xdfe \xe9 " + CP1252_HIGH.encode("cp1252"))
                .replace(b"<3>", b"<3>" + b"x" * 196).replace(b"<4>", b"<4>tab here  line end ")
                .replace(b"frequency=2", b"frequency= 30").replace(b"UseTieredAdmin=0\r\n", TIERED))
    # Tab from the frequency box to the button, which the key presses: Return as in every Windows
    # dialog; Space on Linux, where Qt lets Return press only a default button, and this is
    # none. While its warning is open, a folder takes the file's place: the system's reason at
    # once, not another program's hold, and the shortened message is in its box from then on.
    keys("Tab", "Return" if kind == "wine" else "space")
    wait('the "Warning" box', lambda: find("Warning"))
    os.remove(file)
    os.mkdir(file)
    texts = answer("Warning", "Error")
    check(texts[0] == "Message 4 too long!" and "directory" in texts[1].lower(),
          f"the warning for message 4, then a folder in the file's place said at once: {texts}")
    os.rmdir(file)
    open(file, "wb").write(GOLDEN)
    written(expected, "as chosen, with the shortened message written without a second warning")
    before = os.stat(file).st_mtime_ns
    check(close() == 0 and os.stat(file).st_mtime_ns == before and read() == expected and
          set(os.listdir(folder)) == shipped | {"QUORLEX_CONFIG.txt"},
          "closing the window writes nothing, leaves nothing else, and ends with status 0")


if __name__ == "__main__":
    kind, archive, scenario, codepage, dpi, limited, planted, dlls = (sys.argv[1:] + [None] * 7)[:8]
    dpi = int(dpi or 96)
    tmp = tempfile.mkdtemp(prefix="quorlex-e2e-")
    folder = os.path.join(tmp, "Game Server ü")
    file = os.path.join(folder, "QUORLEX_CONFIG.txt")
    # An X server of the run's own; at 150 %, a laptop's screen.
    xvfb = subprocess.Popen(["Xvfb", "-displayfd", "1", "-nolisten", "tcp", "-dpi", str(dpi),
                             "-screen", "0", "1920x1080x24" if dpi == 144 else "1600x1200x24"],
                            stdout=subprocess.PIPE, stderr=subprocess.DEVNULL, text=True)
    os.environ["DISPLAY"] = ":" + xvfb.stdout.readline().strip()
    app = bus = None
    try:
        if kind != "linux":
            # A wine prefix of the run's own; under wine, the planted DLLs preferred to wine's.
            overrides = f";{dlls}=n,b" if dlls else ""
            os.environ.update(WINEPREFIX=os.path.join(tmp, "wine"), WINEDEBUG="-all,err+module",
                              LC_ALL="C.UTF-8", WINEDLLOVERRIDES="mscoree,mshtml=" + overrides)
            if codepage == "932":
                # Wine takes the ANSI code page from the locale, built here for this run only.
                os.environ.update(LOCPATH=tmp, LC_ALL="ja_JP.UTF-8")
                run("localedef", "-i", "ja_JP", "-f", "UTF-8", os.path.join(tmp, "ja_JP.UTF-8"))
            run("bash", os.path.join(HERE, "../../packaging/windows/wine-prefix.sh"))
            run("wine", "reg", "add", r"HKCU\Control Panel\Desktop", "/v", "LogPixels", "/t",
                "REG_DWORD", "/d", str(dpi), "/f")
        if kind == "wineunit":
            app = subprocess.Popen(["wine", archive], cwd=tmp)
            sys.exit(app.wait(240))
        shutil.unpack_archive(archive, tmp)
        os.rename(glob.glob(os.path.join(tmp, "quorlex-config-*"))[0], folder)
        if kind == "linux":
            # A session bus of the run's own, over which a screen reader reaches the program.
            bus = run("dbus-daemon", "--session", "--fork", "--print-address=1",
                      "--print-pid=1").split()
            os.environ.update(DBUS_SESSION_BUS_ADDRESS=bus[0], QT_LINUX_ACCESSIBILITY_ALWAYS_ON="1")
            # The launcher's Exec line, unescaped as a desktop entry's string and then as quoted
            # arguments, with %k the launcher's own path.
            launcher = os.path.join(folder, "quorlex-config.desktop")
            line = re.search(r"^Exec=(.*)$", open(launcher).read(), re.M)[1]
            line = re.sub(r"\\([$`])", r"\1", line.replace("\\\\", "\\"))
            program = [launcher if arg == "%k" else arg for arg in shlex.split(line)]
        else:
            for name in dlls.split(","):
                shutil.copy(planted, os.path.join(folder, name + ".dll"))
            # With the limited rights User Account Control gives an administrator's programs.
            program = ["wine", limited] if scenario == "refused" else ["wine"]
            program.append(os.path.join(folder, "quorlex-config.exe"))
        clipboard = Clipboard()
        shipped = set(os.listdir(folder))
        if scenario == "refused":
            # The folder takes no new file, as a protected folder, a read-only share or medium
            # does. Root may write anywhere, but not into an immutable folder.
            os.chmod(folder, 0o555)
            os.geteuid() == 0 and run("chattr", "+i", folder)
        # A write past a file-size limit fails as on a full disk, rather than ending the program.
        app = subprocess.Popen(program, cwd=tmp,
                               preexec_fn=lambda: signal.signal(signal.SIGXFSZ, signal.SIG_IGN))
        window = wait("the program's window", lambda: find("QUORLEX_CONFIG"))
        {"full": full, "plain": plain, "refused": refused}[scenario]()
    finally:
        if scenario == "refused" and os.path.isdir(folder):
            os.geteuid() == 0 and run("chattr", "-i", folder)
            os.chmod(folder, 0o755)
        loaded = [os.path.basename(name) for name in glob.glob(os.path.join(folder, "*.loaded"))]
        kind == "wine" and print("DLLs planted beside the program that were loaded:", loaded)
        app and app.kill()
        kind != "linux" and subprocess.run(["wineserver", "-k"])
        bus and os.kill(int(bus[1]), signal.SIGTERM)
        xvfb.kill()
        shutil.rmtree(tmp, ignore_errors=True)
    kind == "wine" and check(not loaded, "no DLL planted beside the program loaded")
