"""The setup window's 410 controls as the administrator sees them, written out from the window's
documented layout (not from the program's own table), so that the program is checked against
it: name, kind, container, caption and place in twips inside the container.

A place inside a frame is measured from the frame's outer top-left corner; 15 twips are one
pixel at 96 dpi.
"""

from collections import namedtuple

TWIPS_PER_PIXEL = 15
CLIENT_TWIPS = (14805, 9330)
CAPTION = "QUORLEX_CONFIG"

WEAPONS = ["Shotgun", "Pulse Rifle", "Grenade Launcher", "Flamethrower", "Smartgun", "Sadar",
           "Minigun", "Railgun", "Predpistol", "Speargun", "Shoulder Cannon", "Disc", "Netgun",
           "Sticky Bombs"]
WEAPON_WIDTHS = [1335, 1335, 1755, 1335, 1335, 1335, 1335, 1335, 1335, 1335, 1575, 1335, 1335,
                 1335]
GRENADES = ["Pulse Grenades", "Timed Grenades", "Proxy Grenades", "EMP Grenades",
            "Spider Grenades"]
GRENADE_WIDTHS = [1455, 1575, 1455, 1455, 1575]
SETTINGS = ["Use External IP Banner", "Use Hardcore Evac", "Block <name> command",
            "Use Admin Peep Mode", "Allow NPCs ", "Use ID's in names "]
COMMANDS = ("addmsg,adminpeep,blockname,botreset,classlock,classweapons,exosuit,forcefreefly,"
            "forceverify,friendlyfire,getdelta,gethitmiss,grenadeban,hardcore,joinff,kick,"
            "lifecycle,locationdamage,lockdown,mute,nextlevel,popupnames,predmask,prevlevel,pwn,"
            "queen,record,rename,resetmsg,restart,roulette,setlevel,shutup,switch,teamlock,"
            "terminate,toggleid,transfersc,unlock,wait,weaponban,wipeout").split(",")
ROWS = 60
LEVELS = ["Disabled", "Low", "Intermediate", "Full"]
LEVEL_BUTTONS = ["optDisable", "optLow", "optIntermediate", "optFull"]
NOTE = ("NOTE: Full access uses the password set in the serverdata file. If tiered admin is not "
        "enabled the standard password set in serverdata is used.")

Control = namedtuple("Control", "name kind container caption rect")


def _controls():
    out = []

    def add(name, kind, container, caption, left, top, width, height):
        out.append(Control(name, kind, container, caption, (left, top, width, height)))

    add("Frame1", "frame", "Form1", "Banned Weapons", 60, 60, 3795, 2535)
    add("Frame2", "frame", "Form1", "Banned Grenades", 3960, 60, 1755, 2535)
    add("Frame4", "frame", "Form1", "Settings", 5820, 60, 2355, 2535)
    add("fmePassword", "frame", "Form1", "Password", 60, 2640, 8115, 975)
    add("Frame3", "frame", "Form1", "Messages", 60, 3660, 8115, 3375)
    add("Command1", "push button", "Form1", "Create Config File", 6660, 7080, 1515, 315)
    add("chkUseTieredAdmin", "check box", "Form1", "Use Tiered Admin?", 8220, 120, 1695, 255)
    add("fmeAdmin", "frame", "Form1", "Tiered Admin", 8220, 420, 6555, 8835)
    for k, caption in enumerate(WEAPONS):
        add(f"chkWeapon({k})", "check box", "Frame1", caption, 120 if k < 7 else 1980,
            300 + 300 * (k % 7), WEAPON_WIDTHS[k], 255)
    for k, caption in enumerate(GRENADES):
        add(f"chkGrenade({k})", "check box", "Frame2", caption, 120, 300 + 300 * k,
            GRENADE_WIDTHS[k], 255)
    for k, caption in enumerate(SETTINGS):
        add(f"chkSettings({k})", "check box", "Frame4", caption, 120, 300 + 300 * k,
            1995 if k == 5 else 2055, 255)
    add("Label1", "label", "Frame4", "Message Frequency", 120, 2160, 1635, 255)
    add("txtFrequency", "text box", "Frame4", "2", 1860, 2100, 375, 285)
    for k in range(10):
        add(f"txtMessage({k})", "text box", "Frame3", None, 60, 240 + 300 * k, 7935, 285)
    add("Label2(0)", "label", "fmePassword", "Low Access Password", 120, 240, 2235, 195)
    add("txtPass(0)", "text box", "fmePassword", "greenharbor", 2400, 180, 1815, 285)
    add("Label2(1)", "label", "fmePassword", "Intermediate Access Password", 120, 600, 2235, 195)
    add("txtPass(1)", "text box", "fmePassword", "silvermountainrivers", 2400, 540, 1815, 285)
    add("Label3", "label", "fmePassword", NOTE, 4320, 240, 3495, 615)
    for i in range(ROWS):
        left = (120, 2220, 4380)[i // 20]
        line = 420 * (i % 20)
        add(f"lblCommand({i})", "label", "fmeAdmin", "A", left, 480 + line, 975, 195)
        add(f"fmeAdminLevel({i})", "frame", "fmeAdmin", "", left + 1020, 300 + line, 1035, 435)
        for b, button in enumerate(LEVEL_BUTTONS):
            add(f"{button}({i})", "option button", f"fmeAdminLevel({i})", None, 60 + 240 * b, 180,
                195, 195)
    return {control.name: control for control in out}


CONTROLS = _controls()
assert len(CONTROLS) == 410


def level_button(row, level):
    """The name of the option button that selects `level` ("Low", ...) on command row `row`."""
    return f"{LEVEL_BUTTONS[LEVELS.index(level)]}({row})"


def pixel_rect(name, scale=1):
    """The control's outer rectangle in device pixels, relative to the window's client area."""
    control = CONTROLS[name]
    left, top, width, height = (v // TWIPS_PER_PIXEL for v in control.rect)
    if control.container != "Form1":
        outer = pixel_rect(control.container)
        left, top = left + outer[0], top + outer[1]
    return (left * scale, top * scale, width * scale, height * scale)


def probe_point(name, scale=1):
    """A point that lies on the control and on none of its children: a frame's left border,
    anything else where it is clicked."""
    if CONTROLS[name].kind != "frame":
        return click_point(name, scale)
    left, top, width, height = pixel_rect(name)
    return ((left + 2) * scale, (top + height // 2) * scale)


def click_point(name, scale=1):
    """Where a person clicks the control: a check box on its square, anything else in its
    middle."""
    left, top, width, height = pixel_rect(name)
    if CONTROLS[name].kind == "check box":
        x = left + 7
    else:
        x = left + width // 2
    return ((x * scale) + scale // 2, (top + height // 2) * scale + scale // 2)
