#!/usr/bin/python3
# The built program as a screen reader sees it: through AT-SPI (run on a private D-Bus
# session) the list's children are the file entries, then the lines of the file opened;
# a click selects the child clicked, the text box reads the selected line, and a commit
# shows the new line in the old one's place and tells a screen reader of it.
#   dbus-run-session -- screen_reader.py PROGRAM SAMPLE_DRIVE_C
import fnmatch, os, re, shutil, subprocess, sys, tempfile, time
import pyatspi
from gi.repository import GLib

work = tempfile.mkdtemp()
shutil.copy(sys.argv[1], work + "/norvik-prefs-editor")
shutil.copytree(sys.argv[2], work + "/c")
os.mkdir(work + "/dosdevices")
os.symlink(work + "/c", work + "/dosdevices/c:")
read, write = os.pipe()
xvfb = subprocess.Popen(["Xvfb", "-displayfd", str(write), "-screen", "0", "1024x768x24", "-nolisten", "tcp"], pass_fds=[write])
env = dict(os.environ, DISPLAY=":" + os.read(read, 16).decode().strip(), QT_LINUX_ACCESSIBILITY_ALWAYS_ON="1",
           WINEPREFIX=work + "/none", XDG_CONFIG_HOME=work + "/none")
env.pop("QT_QPA_PLATFORM", None)
app = subprocess.Popen([work + "/norvik-prefs-editor"], env=env, cwd="/")

def until(what, found):
    for _ in range(100):
        while GLib.MainContext.default().iteration(False): pass  # the events come in here
        if (value := found()) is not None: return value
        time.sleep(0.1)
    sys.exit(f"FAIL: {what}")

def named(role, name):
    for program in pyatspi.Registry.getDesktop(0):
        if program and program.name == "norvik-prefs-editor":
            return pyatspi.findDescendant(program, lambda a: a.getRole() == role and a.name == name)

def click(item, times=1):
    x, y, w, h = item.queryComponent().getExtents(pyatspi.DESKTOP_COORDS)
    subprocess.run(["xdotool", "mousemove", str(x + w // 2), str(y + h // 2), "click", "--repeat", str(times), "--delay", "60", "1"], env=env)

def children(expected, what):
    names = until(what, lambda: (n := [c.name for c in lst]) == expected and n or None)
    print(f"{what}: {len(names)} children of role {set(c.getRoleName() for c in lst)}:", *names, sep="\n  ")

told = []  # the objects that told of a new child
pyatspi.Registry.registerEventListener(lambda event: told.append(event.source.name), "object:children-changed:add")
try:
    until("no Yes in the disclaimer", lambda: named(pyatspi.ROLE_PUSH_BUTTON, "Yes")).queryAction().doAction(0)
    lst = until("no list", lambda: named(pyatspi.ROLE_LIST, "Prefs files and lines"))
    game = work + "/c/vandrel/norvik2/gamedata"
    entries = [os.path.relpath(os.path.join(d, f), game).replace("/", "\\") for d, _, fs in os.walk(game) for f in fs]
    children(sorted(["... " + e for e in entries if fnmatch.fnmatchcase(e, "*Prefs.cs")], key=str.lower), "file entries")
    first = lst[0].name[4:]
    click(lst[0]), click(lst[0], 2)
    raw = open(os.path.join(game, first.replace("\\", "/")), "rb").read().decode("cp1252")
    lines = [line for line in re.split(r"\r\n|\r|\n", raw) if line.strip(" ")]
    children(lines, "lines of " + first)
    click(lst[1])
    until("the clicked child is not the one selected", lambda: [c.getState().contains(pyatspi.STATE_SELECTED) for c in lst][:3] == [False, True, False] or None)
    box = named(pyatspi.ROLE_TEXT, "Selected line")
    until("the text box does not read the selected line", lambda: box.queryText().getText(0, -1) == lines[1] or None)
    click(box)
    subprocess.run(["xdotool", "key", "ctrl+a", "type", "$x = 1;"], env=env)
    told.clear(), named(pyatspi.ROLE_PUSH_BUTTON, "Change").queryAction().doAction(0)
    children(lines[:1] + ["$x = 1;"] + lines[2:], "after the commit")
    until("the list did not tell of the new line", lambda: "Prefs files and lines" in told or None)
finally:
    app.kill(), xvfb.kill()
    shutil.rmtree(work)
