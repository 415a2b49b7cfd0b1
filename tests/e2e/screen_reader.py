#!/usr/bin/python3
# The built program as a screen reader sees and drives it, through AT-SPI (run on a
# private D-Bus session) alone: the list's children are the file entries, then the lines
# of the file opened by an entry's double click action; a line's click action selects it,
# the text box reads it, the box's click action starts the edit, its text is set, and a
# commit shows the new line in the old one's place and tells a screen reader of it; Save &
# Exit and Yes write the file.
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

def act(what, name, role=pyatspi.ROLE_PUSH_BUTTON):  # runs the action `name` of `what` (a button's name, or an accessible)
    item = until(f"no {what}", lambda: named(role, what)) if isinstance(what, str) else what
    names = [item.queryAction().getName(i) for i in range(item.queryAction().nActions)]
    if name not in names: sys.exit(f"FAIL: {item.name} offers {names}, not {name}")
    item.queryAction().doAction(names.index(name))

def children(expected, what):
    names = until(what, lambda: (n := [c.name for c in lst]) == expected and n or None)
    print(f"{what}: {len(names)} children of role {set(c.getRoleName() for c in lst)}:", *names, sep="\n  ")

told = []  # the objects that told of a new child
pyatspi.Registry.registerEventListener(lambda event: told.append(event.source.name), "object:children-changed:add")
try:
    act("Yes", "Press")
    lst = until("no list", lambda: named(pyatspi.ROLE_LIST, "Prefs files and lines"))
    game = work + "/c/vandrel/norvik2/gamedata"
    entries = [os.path.relpath(os.path.join(d, f), game).replace("/", "\\") for d, _, fs in os.walk(game) for f in fs]
    children(sorted(["... " + e for e in entries if fnmatch.fnmatchcase(e, "*Prefs.cs")], key=str.lower), "file entries")
    first = lst[0].name[4:]
    act(lst[0], "Double click")
    path = os.path.join(game, first.replace("\\", "/"))
    lines = [line for line in re.split(r"\r\n|\r|\n", open(path, "rb").read().decode("cp1252")) if line.strip(" ")]
    children(lines, "lines of " + first)
    act(lst[1], "Press")
    until("the clicked child is not the one selected", lambda: [c.getState().contains(pyatspi.STATE_SELECTED) for c in lst][:3] == [False, True, False] or None)
    box = named(pyatspi.ROLE_TEXT, "Selected line")
    until("the text box does not read the selected line", lambda: box.queryText().getText(0, -1) == lines[1] or None)
    act(box, "Press")
    until("the click into the box started no edit", lambda: named(pyatspi.ROLE_PUSH_BUTTON, "Change").getState().contains(pyatspi.STATE_SENSITIVE) or None)
    box.queryEditableText().setTextContents("$x = 1;")
    told.clear(), act("Change", "Press")
    lines[1] = "$x = 1;"
    children(lines, "after the commit")
    until("the list did not tell of the new line", lambda: "Prefs files and lines" in told or None)
    act("Save  &  Exit", "Press"), act("Yes", "Press"), act("OK", "Press")
    app.wait(20)
    saved = subprocess.run(["xxd", "-p", path], capture_output=True, text=True).stdout.replace("\n", "")
    if saved != "".join(line + "\r\n" for line in lines).encode("cp1252").hex(): sys.exit("FAIL: the file on disk holds\n" + bytes.fromhex(saved).decode("cp1252"))
finally:
    app.kill(), xvfb.kill()
    shutil.rmtree(work)
