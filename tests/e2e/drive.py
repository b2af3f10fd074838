#!/usr/bin/python3
# The released program, unpacked into a folder whose name has a blank and a non-ASCII letter,
# started the way its users start it (the Linux launcher, or wine for the Windows zip) from
# another working folder, under an Xvfb of its own, and driven by real X input: clicks,
# pastes through the clipboard, Return on its message boxes, and the window manager's close
# request. Each step is checked through the file it writes beside the program.
#
#   drive.py linux ARCHIVE.tar.gz
#   drive.py wine ARCHIVE.zip CODEPAGE holdfile.exe planted.dll NAME,...   (CODEPAGE 1252 or 932)
#
# Under wine, planted.dll lies in the program's folder under each NAME.dll, preferred to wine's
# own as Windows would prefer it, and must never be loaded. With the code page 1252 the replace
# is also tried while the file is a folder (the system's reason at once) and while another
# program holds it open: briefly (the press writes) and for longer than the writer waits.
import glob
import os
import re
import shlex
import shutil
import subprocess
import sys
import tempfile
import time

GOLDEN = open(os.path.join(os.path.dirname(__file__), "../data/QUORLEX_CONFIG.txt"), "rb").read()
TIERED = (b"UseTieredAdmin=1\r\n\r\n\r\n[Password]\r\nL1Pass=greenharbor\r\n"
          b"L2Pass=silvermountainrivers\r\n\r\n\r\n[Commands]\r\nkick=2\r\n")

# The characters that Windows-1252 puts at 0x80-0x9F, as Python's codec defines them.
CP1252_HIGH = bytes(range(0x80, 0xA0)).decode("cp1252", "ignore")
HELD = "Another program has the file open"
# The controls clicked: the corners of their containers, in twips from the window's client area,
# added up, then the control's own size, whose middle is clicked.
PLACES = {"Create Config File": [(6660, 7080), (1515, 315)],
          "Use External IP Banner": [(5820, 60), (120, 300), (2055, 255)],
          "Use Tiered Admin?": [(8220, 120), (1695, 255)],
          "kick: Intermediate": [(8220, 420), (1140, 6600), (540, 180), (195, 195)],
          "message 3": [(60, 3660), (60, 840), (7935, 285)],
          "message 4": [(60, 3660), (60, 1140), (7935, 285)]}


def run(*args, check=True):
    return subprocess.run(args, env=env, check=check, capture_output=True, text=True).stdout


def check(ok, what):
    print("ok:" if ok else "FAIL:", what)
    ok or sys.exit(1)


def wait(what, probe, timeout=60):
    deadline = time.monotonic() + timeout
    while not (value := probe()):
        if time.monotonic() > deadline:
            check(False, f"waited {timeout} s for {what}")
        time.sleep(0.1)
    return value


def find(title):
    found = run("xdotool", "search", "--onlyvisible", "--name", f"^{title}$", check=False)
    return found.split()[0] if found else None


def click(place):
    *corners, size = PLACES[place]
    x, y = (sum(c[i] for c in corners) + size[i] // 2 for i in (0, 1))
    run("xdotool", "mousemove", "--window", window, str(x // 15), str(y // 15), "click", "1")


def clip(text):
    subprocess.run(["xclip", "-selection", "clipboard"], input=text.encode(), env=env,
                   stderr=subprocess.DEVNULL, check=True)


def paste(place, text):
    clip(text)
    click(place)
    run("xdotool", "key", "ctrl+a", "ctrl+v")


def copied(title):
    # What a message box puts on the clipboard at Ctrl+C on Windows: title, text and buttons
    # between rules.
    parts = run("xclip", "-o", "-selection", "clipboard", check=False).replace("\r", "")
    parts = parts.split("-" * 27 + "\n")
    return len(parts) > 3 and parts[1] == title + "\n" and parts[2].strip()


def answer(*titles):
    texts = []
    for title in titles:
        box = wait(f'the "{title}" box', lambda: find(title))
        if kind == "wine":
            clip("")
            run("xdotool", "windowfocus", "--sync", box, "key", "ctrl+c")
            texts.append(wait(f'the text of the "{title}" box', lambda: copied(title)))
        run("xdotool", "windowfocus", "--sync", box, "key", "Return")
        wait(f'the "{title}" box to close', lambda: not find(title))
    return texts


def create(expected, *boxes):
    click("Create Config File")
    answer(*boxes)
    wait("the file as expected", lambda: read() == expected, timeout=15)
    check(not find("Warning"), "the file as expected, and no warning beyond those expected")


def read():
    return open(file, "rb").read() if os.path.isfile(file) else None


def close():
    from Xlib import X, display, protocol
    screen = display.Display(env["DISPLAY"])
    atom = screen.intern_atom
    screen.create_resource_object("window", int(window)).send_event(protocol.event.ClientMessage(
        window=int(window), client_type=atom("WM_PROTOCOLS"),
        data=(32, [atom("WM_DELETE_WINDOW"), X.CurrentTime, 0, 0, 0])))
    screen.flush()
    return app.wait(60)


def start(kind, codepage):
    if kind == "linux":
        # The launcher's Exec line, unescaped as a desktop entry's string and then as quoted
        # arguments, with %k the launcher's own path.
        launcher = os.path.join(folder, "quorlex-config.desktop")
        line = re.search(r"^Exec=(.*)$", open(launcher).read(), re.M)[1]
        line = re.sub(r"\\([$`])", r"\1", line.replace("\\\\", "\\"))
        return [launcher if arg == "%k" else arg for arg in shlex.split(line)]
    for name in planted_names.split(","):
        shutil.copy(planted, os.path.join(folder, name + ".dll"))
    env.update(WINEPREFIX=os.path.join(tmp, "wine"), WINEDEBUG="-all,err+module", LC_ALL="C.UTF-8",
               WINEDLLOVERRIDES=f"mscoree,mshtml=;{planted_names}=n,b")
    if codepage == "932":
        # Wine takes the ANSI code page from the locale, built here for this run only.
        env.update(LOCPATH=tmp, LC_ALL="ja_JP.UTF-8")
        run("localedef", "-i", "ja_JP", "-f", "UTF-8", os.path.join(tmp, "ja_JP.UTF-8"))
    run("bash", os.path.join(os.path.dirname(__file__), "../../packaging/windows/wine-prefix.sh"))
    return ["wine", os.path.join(folder, "quorlex-config.exe")]


def hold(milliseconds):
    global holding
    holding = subprocess.Popen(["wine", holder, "Z:" + file.replace("/", "\\"), str(milliseconds)],
                               env=env, stdout=subprocess.PIPE, text=True)
    check(holding.stdout.readline() == "held\n", f"the file held for {milliseconds} ms")


def scenario(codepage):
    if codepage == "932":
        # 100 characters, 200 bytes in code page 932: cut to 196 bytes by whole characters.
        paste("message 3", "日" * 100)
        create(GOLDEN.replace(b"<2>", b"<2>" + "日".encode("cp932") * 98), "Warning")
        return check(close() == 0, "98 of 100 double-byte characters kept, closed with 0")
    create(GOLDEN)
    check(not os.path.exists(os.path.join(tmp, "QUORLEX_CONFIG.txt")),
          "the default file written beside the program, not in the working folder")
    click("Use External IP Banner")
    answer("Update")
    paste("message 3", "Grüße " + CP1252_HIGH)
    paste("message 4", "x" * 197)
    click("Use Tiered Admin?")
    click("kick: Intermediate")
    expected = (GOLDEN.replace(b"<2>", b"<2>Gr\xfc\xdfe " + CP1252_HIGH.encode("cp1252"))
                .replace(b"<3>", b"<3>" + b"x" * 196).replace(b"UseTieredAdmin=0\r\n", TIERED))
    if kind == "wine":
        # A folder in the file's place, put there while the press waits on its warning: not
        # another program's hold, so the system's reason at once.
        click("Create Config File")
        wait('the "Warning" box', lambda: find("Warning"))
        os.remove(file)
        os.mkdir(file)
        error = answer("Warning", "Error")[1]
        check(HELD not in error, f"a folder in the file's place, at once: {error!r}")
        os.rmdir(file)
        open(file, "wb").write(GOLDEN)
        # Held for longer than the writer waits: "Error", and the earlier file and the folder
        # stay as they were. Then held briefly from before the press: the press waits and writes.
        entries = sorted(os.listdir(folder))
        hold(8000)
        click("Create Config File")
        held = answer("Error")[0]
        check(HELD in held, f"held 8 s: the other program blamed: {held!r}")
        check(read() == GOLDEN and sorted(os.listdir(folder)) == entries, "held 8 s: no change")
        holding.kill()
        hold(1200)
    create(expected, *([] if kind == "wine" else ["Warning"]))
    before = os.stat(file).st_mtime_ns
    check(close() == 0 and os.stat(file).st_mtime_ns == before and read() == expected,
          "closing the window writes nothing and ends with status 0")


if __name__ == "__main__":
    kind, archive, codepage, holder, planted, planted_names = (sys.argv[1:] + [None] * 4)[:6]
    tmp = tempfile.mkdtemp(prefix="quorlex-e2e-")
    folder, env = os.path.join(tmp, "Game Server ü"), dict(os.environ)
    file = os.path.join(folder, "QUORLEX_CONFIG.txt")
    shutil.unpack_archive(archive, tmp)
    os.rename(glob.glob(os.path.join(tmp, "quorlex-config-*"))[0], folder)
    read_end, write_end = os.pipe()
    xvfb = subprocess.Popen(["Xvfb", "-displayfd", str(write_end), "-screen", "0", "1280x1024x24",
                            "-dpi", "96", "-nolisten", "tcp"], pass_fds=[write_end],
                            stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
    os.close(write_end)
    env["DISPLAY"] = ":" + os.fdopen(read_end).readline().strip()
    app = holding = None
    try:
        app = subprocess.Popen(start(kind, codepage), cwd=tmp, env=env)
        window = wait("the program's window", lambda: find("QUORLEX_CONFIG"))
        scenario(codepage)
    finally:
        loaded = [os.path.basename(name) for name in glob.glob(os.path.join(folder, "*.loaded"))]
        kind == "wine" and print("DLLs planted beside the program that were loaded:", loaded)
        for process in filter(None, (app, holding)):
            process.kill()
        if kind == "wine":
            subprocess.run(["wineserver", "-k"], env=env)
        xvfb.kill()
        shutil.rmtree(tmp, ignore_errors=True)
    kind == "wine" and check(not loaded, "no DLL planted beside the program loaded")
