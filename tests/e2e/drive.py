#!/usr/bin/python3
# The released program, unpacked into a folder whose name has a blank and a non-ASCII letter,
# started the way its users start it (the Linux launcher, or wine for the Windows zip) from
# another working folder, under an Xvfb of its own, and driven by real X input: clicks,
# pastes through the clipboard, Return on its message boxes, and the window manager's close
# request. Each step is checked through the file it writes beside the program.
#
#   drive.py linux ARCHIVE.tar.gz          drive.py wine ARCHIVE.zip [--codepage 932]
import os
import re
import shlex
import shutil
import subprocess
import sys
import tempfile
import time

HERE = os.path.dirname(os.path.abspath(__file__))
GOLDEN = open(os.path.join(HERE, "..", "data", "QUORLEX_CONFIG.txt"), "rb").read()
TWIPS_PER_PIXEL = 15
# Centres of the controls clicked, in twips from the window's client area: the containers'
# corners added up, then half of the control's own size.
PLACES = {
    "Create Config File": [(6660, 7080), (1515, 315)],
    "Use External IP Banner": [(5820, 60), (120, 300), (2055, 255)],
    "Use Tiered Admin?": [(8220, 120), (1695, 255)],
    "kick: Intermediate": [(8220, 420), (1140, 6600), (540, 180), (195, 195)],
    **{f"message {k + 1}": [(60, 3660), (60, 240 + 300 * k), (7935, 285)] for k in range(10)},
}


def run(*args, **kwargs):
    return subprocess.run(args, check=True, capture_output=True, text=True, **kwargs).stdout


def wait(what, probe, timeout=60):
    deadline = time.monotonic() + timeout
    while not (value := probe()):
        if time.monotonic() > deadline:
            sys.exit(f"FAIL: no {what} after {timeout} s")
        time.sleep(0.1)
    return value


class Session:
    def __init__(self, kind, archive, codepage):
        self.tmp = tempfile.mkdtemp(prefix="quorlex-e2e-")
        self.folder = os.path.join(self.tmp, "Game Server ü")
        self.file = os.path.join(self.folder, "QUORLEX_CONFIG.txt")
        os.makedirs(self.folder)
        tool = ["unzip", "-q", archive, "-d"] if kind == "wine" else ["tar", "-xf", archive, "-C"]
        run(*tool, self.folder)
        (top,) = os.listdir(self.folder)
        for name in os.listdir(os.path.join(self.folder, top)):
            os.rename(os.path.join(self.folder, top, name), os.path.join(self.folder, name))
        os.rmdir(os.path.join(self.folder, top))
        self.kind, self.codepage, self.app = kind, codepage, None

    def start(self):
        read, write = os.pipe()
        self.xvfb = subprocess.Popen(["Xvfb", "-displayfd", str(write), "-screen", "0",
                                      "1280x1024x24", "-dpi", "96", "-nolisten", "tcp"],
                                     pass_fds=[write], stdout=subprocess.DEVNULL,
                                     stderr=subprocess.DEVNULL)
        os.close(write)
        self.env = dict(os.environ, DISPLAY=":" + os.fdopen(read).readline().strip())
        if self.kind == "wine":
            self.start_wine(self.codepage)
        else:
            self.start_linux()
        self.window = wait("window", lambda: self.find("QUORLEX_CONFIG"))

    def start_linux(self):
        # The launcher's Exec line, unescaped as a desktop entry's string and then as its quoted
        # arguments, with %k the launcher's own path.
        launcher = os.path.join(self.folder, "quorlex-config.desktop")
        exec_line = re.search(r"^Exec=(.*)$", open(launcher).read(), re.M)[1]
        exec_line = re.sub(r"\\([$`])", r"\1", exec_line.replace("\\\\", "\\"))
        args = [launcher if a == "%k" else a for a in shlex.split(exec_line)]
        self.app = subprocess.Popen(args, cwd=self.tmp, env=self.env)

    def start_wine(self, codepage):
        self.env.update(WINEPREFIX=os.path.join(self.tmp, "wine"), WINEDEBUG="-all,err+module",
                        WINEDLLOVERRIDES="mscoree,mshtml=", LC_ALL="C.UTF-8")
        if codepage == "932":
            # Wine takes the ANSI code page from the locale; this one is built for the run only.
            locales = os.path.join(self.tmp, "locales")
            os.makedirs(locales)
            subprocess.run(["localedef", "-i", "ja_JP", "-f", "UTF-8",
                            os.path.join(locales, "ja_JP.UTF-8")], check=False)
            self.env.update(LOCPATH=locales, LC_ALL="ja_JP.UTF-8")
        run("wineboot", "-i", env=self.env)
        run("sh", "-c", 'cp /usr/share/wine/fonts/*.ttf "$WINEPREFIX/drive_c/windows/Fonts/"',
            env=self.env)
        acp = run("wine", "reg", "query", r"HKLM\System\CurrentControlSet\Control\Nls\CodePage",
                  "/v", "ACP", env=self.env)
        print("ANSI code page of this run:", acp.split()[-1])
        self.app = subprocess.Popen(["wine", os.path.join(self.folder, "quorlex-config.exe")],
                                    cwd=self.tmp, env=self.env)

    def find(self, title):
        found = subprocess.run(["xdotool", "search", "--onlyvisible", "--name", f"^{title}$"],
                               env=self.env, capture_output=True, text=True).stdout.split()
        return found[0] if found else None

    def click(self, place):
        corners = PLACES[place]
        x = sum(c[0] for c in corners[:-1]) + corners[-1][0] // 2
        y = sum(c[1] for c in corners[:-1]) + corners[-1][1] // 2
        run("xdotool", "mousemove", "--window", self.window, str(x // TWIPS_PER_PIXEL),
            str(y // TWIPS_PER_PIXEL), "click", "1", env=self.env)

    def paste(self, place, text):
        subprocess.run(["xclip", "-selection", "clipboard"], input=text.encode(), env=self.env,
                       stderr=subprocess.DEVNULL, check=True)
        self.click(place)
        run("xdotool", "key", "ctrl+a", "ctrl+v", env=self.env)

    def answer(self, title):
        box = wait(f'"{title}" box', lambda: self.find(title))
        run("xdotool", "windowfocus", "--sync", box, "key", "Return", env=self.env)
        wait(f'"{title}" box to close', lambda: not self.find(title))

    def create(self, expected, box=None):
        self.click("Create Config File")
        if box:
            self.answer(box)
        wait("file as expected", lambda: self.read() == expected, timeout=15)
        if self.find("Warning"):
            check(False, "no warning beyond the expected")

    def read(self):
        return open(self.file, "rb").read() if os.path.isfile(self.file) else None

    def close(self):
        from Xlib import X, display, protocol
        screen = display.Display(self.env["DISPLAY"])
        window = screen.create_resource_object("window", int(self.window))
        atom = screen.intern_atom
        window.send_event(protocol.event.ClientMessage(
            window=window, client_type=atom("WM_PROTOCOLS"),
            data=(32, [atom("WM_DELETE_WINDOW"), X.CurrentTime, 0, 0, 0])))
        screen.flush()
        return self.app.wait(60)


def check(ok, what):
    print(("ok: " if ok else "FAIL: ") + what)
    if not ok:
        sys.exit(1)


def main(kind, archive, codepage="1252"):
    s = Session(kind, os.path.abspath(archive), codepage)
    try:
        s.start()
        if os.environ.get("QUORLEX_SCREENSHOT"):  # the window as drawn, for docs/
            time.sleep(2)
            run("import", "-window", s.window, os.environ["QUORLEX_SCREENSHOT"], env=s.env)
        if codepage == "932":
            # 100 characters, 200 bytes in code page 932: cut to 196 bytes by whole characters.
            s.paste("message 3", "日" * 100)
            s.create(GOLDEN.replace(b"<2>", b"<2>" + "日".encode("cp932") * 98), box="Warning")
            return check(s.close() == 0, "closed with status 0")
        s.create(GOLDEN)
        check(not os.path.exists(os.path.join(s.tmp, "QUORLEX_CONFIG.txt")),
              "the default file written beside the program, not in the working folder")
        s.click("Use External IP Banner")
        s.answer("Update")
        s.paste("message 3", "Grüße €")
        s.paste("message 4", "x" * 197)
        s.click("Use Tiered Admin?")
        s.click("kick: Intermediate")
        expected = (GOLDEN.replace(b"<2>", b"<2>Gr\xfc\xdfe \x80")
                    .replace(b"<3>", b"<3>" + b"x" * 196)
                    .replace(b"UseTieredAdmin=0\r\n", b"UseTieredAdmin=1\r\n\r\n\r\n[Password]\r\n"
                             b"L1Pass=greenharbor\r\nL2Pass=silvermountainrivers\r\n\r\n\r\n"
                             b"[Commands]\r\nkick=2\r\n"))
        s.create(expected, box="Warning")
        check(True, 'IP banner refused ("Update"); "Grüße €" as 47 72 FC DF 65 20 80; '
              '197 characters warned and cut; kick=2')
        os.remove(s.file)
        os.mkdir(s.file)
        s.click("Create Config File")
        s.answer("Error")
        os.rmdir(s.file)
        s.create(expected)
        check(True, 'a directory in the file\'s place gives "Error", then the program goes on')
        before = os.stat(s.file).st_mtime_ns
        check(s.close() == 0 and os.stat(s.file).st_mtime_ns == before and s.read() == expected,
              "closing the window writes nothing and ends with status 0")
    finally:
        if s.app:
            s.app.kill()
        if kind == "wine":
            subprocess.run(["wineserver", "-k"], env=s.env)
        s.xvfb.kill()
        shutil.rmtree(s.tmp, ignore_errors=True)


if __name__ == "__main__":
    main(*[a for a in sys.argv[1:] if a != "--codepage"])
