#!/usr/bin/python3
"""Walks the program over the accessibility bus, as a screen reader sees it.

Starts a virtual printer and the program (on the X display and session bus this process is
given), drives the selection window and one whole item by keys alone, then every window and
item panel by the bus's own actions, and fails on a focusable control without a name, a name
that is a code name, or a value that cannot be read after it was written.

    bus_walk.py BIN_DIR [--print-tree ITEM]   (ITEM: an item's caption, e.g. "USB ID input")
"""
import os
import re
import subprocess
import sys
import time

import pyatspi
from gi.repository import GLib

CODE_NAME = re.compile(r"^[A-Z][A-Za-z0-9]*(Edit|Pnl|Lbl|Btn|Memo|UpDown|Combo|Gauge|Tab|RdoGrp)\d*$")
PICTURE = re.compile(r"^[\w -]+ example(, .*)?$")  # "Bi-D pattern example", "First dot example, ..."
KEYSYMS = {"Tab": 0xFF09, "Return": 0xFF0D, "Up": 0xFF52, "Down": 0xFF54}
BOUND = 60  # seconds for anything to happen; a busy machine is slow, a hang is not
problems = []


def until(probe, what):
    end = time.monotonic() + BOUND
    while time.monotonic() < end:
        try:
            found = probe()
        except GLib.GError:  # a node handed out again under another path: look again
            found = None
        if found:
            return found
        time.sleep(0.05)
    raise AssertionError("timed out waiting for " + what)


def children(node):
    try:
        return [child for child in node if child is not None]
    except Exception:  # a node that went away while it was read
        return []


def showing(node):
    return node.getState().contains(pyatspi.STATE_SHOWING)


def nodes(root, visible=True):
    """Every node below root, depth first, in the order the window reads."""
    for child in children(root):
        if visible and not showing(child):
            continue
        yield child
        yield from nodes(child, visible)


def find(root, role, name, visible=True):
    for node in nodes(root, visible):
        if node.getRoleName() == role and node.name == name:
            return node
    return None


def need(root, role, name):
    """A control the walk goes on with: its absence is the failure."""
    node = find(root, role, name)
    if node is None:
        raise AssertionError(f"no {role} '{name}' on the bus")
    return node


def value_cell(window, name):
    """The summary cell of that name (its caption beside it has the same name and no value)."""
    for node in nodes(window, visible=False):
        if node.getRoleName() == "label" and node.name == name and "Text" in node.get_interfaces():
            return node
    raise AssertionError(f"no value '{name}' on the bus")


def text_of(node):
    text = node.queryText()
    return text.getText(0, text.characterCount)


def press(root, role, name):
    """Presses the control of that name as the bus has it now (until() looks again where a
    node read a moment ago has gone)."""
    def attempt():
        node = find(root, role, name)
        return node is not None and (node.queryAction().doAction(0) or True)
    until(attempt, f"{role} '{name}' to press")


def key(name):
    keysym = KEYSYMS.get(name) or ord(name)
    pyatspi.Registry.generateKeyboardEvent(keysym, None, pyatspi.KEY_SYM)


def focused(app):
    """The control with the keyboard focus. A page tab says it is focused whenever its page is
    shown, and a scrolled text's inner area beside the text itself: neither counts."""
    found = [n for n in nodes(app) if n.getState().contains(pyatspi.STATE_FOCUSED)
             and n.getRoleName() != "page tab" and (n.name or n.getRoleName() != "filler")]
    return found[-1] if found else None


def activate(program, window, caption):
    """A click on a caption of the window, as a window manager's activation: there is no
    window manager here."""
    caption = need(window, "label", caption)
    box = caption.queryComponent().getExtents(pyatspi.DESKTOP_COORDS)
    pyatspi.Registry.generateMouseEvent(box.x + box.width // 2, box.y + box.height // 2, "b1c")
    until(lambda: focused(program.app), f"the focus in '{window.name}'")


def tab_to(app, role, name):
    for _ in range(60):
        node = until(lambda: focused(app), "a focused control")
        if node.getRoleName() == role and node.name == name:
            return node
        key("Tab")
        # One press at a time: the next looks from where this one landed.
        until(lambda: focused(app) and focused(app).path != node.path, "Tab to move the focus")
    raise AssertionError(f"Tab never reaches {role} '{name}'")


def check(window, where):
    """The rules for every control a person can reach."""
    for node in nodes(window):
        state, name, role = node.getState(), node.name.strip(), node.getRoleName()
        said = f"{where}: {role} '{name}'"
        if state.contains(pyatspi.STATE_FOCUSABLE) and not name:
            problems.append(f"{where}: a focusable {role} without a name")
        if CODE_NAME.match(name):
            problems.append(said + " is a code name")
        if "&" in name:
            problems.append(said + " says '&'")
        if PICTURE.match(name) and not node.description:
            problems.append(said + " has no description of what it shows")


def print_tree(root, depth=0):
    for node in children(root):
        if not showing(node):
            continue
        line = f"{'  ' * depth}{node.getRoleName()} '{node.name}'"
        if node.description:
            line += f" ({node.description})"
        try:
            line += f" text='{text_of(node)}'"
        except NotImplementedError:
            pass
        print(line)
        print_tree(node, depth + 1)


def expect(condition, what):
    if not condition:
        problems.append(what)


def wait_text(node, pattern, what):
    try:
        return until(lambda: re.search(pattern, text_of(node)) and text_of(node), what)
    except AssertionError as timeout:
        raise AssertionError(f"{timeout}; '{node.name}' reads '{text_of(node)}'") from None


class Program:
    def __init__(self, bin_dir):
        self.starts = 1
        self.sim = subprocess.Popen([os.path.join(bin_dir, "novari-printer-sim"), "--port",
                                     "USB001", "--time-scale", "0.01"],
                                    stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
        self.env = dict(os.environ, QT_QPA_PLATFORM="xcb", QT_ACCESSIBILITY="1",
                        QT_LINUX_ACCESSIBILITY_ALWAYS_ON="1")
        self.process = subprocess.Popen([os.path.join(bin_dir, "novari-adjust")], env=self.env)
        self.app = until(lambda: self.find_app() or self.restart_if_ended(bin_dir),
                         "the program on the bus")

    def restart_if_ended(self, bin_dir):
        """A fresh X server now and then refuses its first clients: start the program again."""
        if self.process.poll() is not None and self.starts < 3:
            self.starts += 1
            self.process = subprocess.Popen([os.path.join(bin_dir, "novari-adjust")],
                                            env=self.env)
        return None

    def find_app(self):
        for app in children(pyatspi.Registry.getDesktop(0)):
            if app.name == "Adjustment program" and app.get_process_id() == self.process.pid:
                return app
        return None

    def window(self, title):
        return until(lambda: next((w for w in children(self.app)
                                   if w.name == title and showing(w)), None), f"window '{title}'")

    def stop(self):
        for process in (self.process, self.sim):
            if process.poll() is None:
                process.kill()
            process.wait()


def keys_alone(program):
    boot = program.window("NOVARI printer adjustment program")
    check(boot, "selection window")
    activate(program, boot, "NOVARI printer adjustment program")
    for name in ("Down", "Tab", "Down", "Tab", "Down", "Return"):
        key(name)
        time.sleep(0.05)
    main = program.window("Adjustment program")
    status = need(main, "text", "Status messages")
    wait_text(status, "Printer is ready", "the printer state in the status memo")
    model = text_of(value_cell(main, "Model"))
    expect(model == "Halden Photo Q510", f"the model name reads '{model}'")

    activate(program, main, "Model")
    tab_to(program.app, "radio button", "Market setting")
    key(" ")  # the first item; the arrows then move through the list
    key("Down")
    until(lambda: find(main, "text", "USB ID serial number"), "the USB ID panel")
    tab_to(program.app, "text", "USB ID serial number")
    serial = "2468013579"
    for digit in serial:
        key(digit)
    key("Return")
    wait_text(status, "The USB ID has been written in EEPROM properly.", "the USB ID written")
    cell = value_cell(main, "USB ID")
    expect(text_of(cell).startswith(serial), f"the USB ID cell reads '{text_of(cell)}'")

    # Two entries further down, an up-down stepped by the arrow keys.
    tab_to(program.app, "radio button", "USB ID input")
    key("Down")
    key("Down")
    edit = until(lambda: find(main, "text", "Head angular value"), "the head angular panel")
    tab_to(program.app, "text", "Head angular value")
    key("Up")
    stepped = until(lambda: text_of(edit) != "0" and text_of(edit), "the up-down to step")
    tab_to(program.app, "push button", "Input")
    key(" ")
    wait_text(status, "The head angular adjustment value has been written properly.",
              "the head angular value written")
    cell = value_cell(main, "Head angular")
    until(lambda: text_of(cell) == stepped, f"the head angular cell to read {stepped}")
    return main


LISTS = ("Adjustment items", "Maintenance items", "Appendix items")


def show_page(main, index):
    tabs = next(n for n in nodes(main) if n.getRoleName() == "page tab list")
    press(tabs, "page tab", ("Adjustment", "Maintenance", "Appendix")[index])
    return until(lambda: find(main, "panel", LISTS[index]), f"the list '{LISTS[index]}'")


def chosen(lists, caption):
    item = find(lists, "radio button", caption)
    return item and item.getState().contains(pyatspi.STATE_CHECKED)


def choose(main, caption):
    for index, page in enumerate(LISTS):
        lists = find(main, "panel", page, visible=False)
        item = lists and find(lists, "radio button", caption, visible=False)
        if item:
            lists = show_page(main, index)
            press(lists, "radio button", caption)
            until(lambda: chosen(lists, caption), f"'{caption}' chosen")
            return
    raise AssertionError(f"no item '{caption}'")


def walk_every_item(main):
    for index in range(3):
        lists = show_page(main, index)
        for caption in [n.name for n in children(lists) if n.getRoleName() == "radio button"]:
            lists = show_page(main, index)
            press(lists, "radio button", caption)
            until(lambda: chosen(lists, caption), f"'{caption}' chosen")
            check(main, caption)
            for page in ("Go to input page", "Go to print page"):
                button = find(main, "push button", page)
                if button:
                    press(main, "push button", page)
                    until(lambda: not showing(button), page)
                    check(main, f"{caption}, {page}")
            if find(main, "push button", "How to adjust"):
                press(main, "push button", "How to adjust")


def check_how_to_windows(program):
    titles = ["How to Bi-D adjustment ", "How to head angular adjustment",
              "How to PW sensor adjustment", "How to first dot adjustment",
              "How to top margin adjustment"]
    for title in titles:
        window = program.window(title)
        check(window, title)
        pictures = [n for n in nodes(window) if PICTURE.match(n.name)]
        expect(pictures, f"{title}: no picture is on the bus")


def write_and_read_values(program, main):
    status = need(main, "text", "Status messages")

    choose(main, "Head ID input")
    press(main, "push button", "Read")  # the printer's own ID, check character and all
    head_id = re.search(r"Head ID = (\S{15})", wait_text(status, r"Head ID = \S{15}",
                                                         "the head ID read")).group(1)
    need(main, "text", "Head ID").queryEditableText().setTextContents(head_id)
    press(main, "push button", "Input")
    wait_text(status, "The head ID has been written properly.", "the head ID written")
    cell = value_cell(main, "Head ID")
    until(lambda: text_of(cell) == head_id, f"the head ID cell reads '{head_id}'")

    choose(main, "Bi-D adjustment")
    press(main, "push button", "Go to input page")
    edit = until(lambda: find(main, "text", "VSD1 Black"), "the Bi-D input page")
    expect(edit.description == "-35 to 35", f"the Bi-D range reads '{edit.description}'")
    edit.queryEditableText().setTextContents("-7")
    press(main, "push button", "Input")
    wait_text(status, "written", "the Bi-D value written")
    cell = value_cell(main, "Bi-D VSD1 Typ Black")
    until(lambda: text_of(cell) == "-7", "the Bi-D cell to read -7")

    choose(main, "First dot adjustment")
    millimetres = need(main, "label", "First dot in millimetres")
    gauge = need(main, "progress bar", "Remainder of left margin")
    before = (text_of(millimetres), gauge.queryValue().currentValue)
    press(main, "push button", "To the right four points at a time")
    after = until(lambda: (text_of(millimetres), gauge.queryValue().currentValue) != before
                  and (text_of(millimetres), gauge.queryValue().currentValue), "a step")
    expect(re.fullmatch(r"-?\d+\.\d{4} mm", after[0]), f"the first dot reads '{after[0]}'")
    value = text_of(need(main, "text", "First dot value"))
    press(main, "push button", "Input")
    wait_text(status, "written", "the first dot value written")
    cell = value_cell(main, "First dot")
    until(lambda: text_of(cell) == value, f"the first dot cell to read {value}")

    choose(main, "Waste ink pad counter")
    press(main, "push button", "Read")
    limit = need(main, "text", "The present maximum value")
    until(lambda: re.fullmatch(r"\d+", text_of(limit)), "the waste ink limit to be read")


def save_dialog_and_message_box(program, main):
    choose(main, "Save all EEPROM data")
    press(main, "push button", "OK")
    # Qt's own dialog: its texts reach the bus.
    dialog = program.window("Save all EEPROM data")
    for role, name in (("label", "File name:"), ("push button", "Save")):
        expect(find(dialog, role, name), f"the save dialog's {role} '{name}' is not on the bus")
    press(dialog, "push button", "Cancel")
    box = program.window("Confirm")
    expect(find(box, "label", "Do you abort this function?"), "the question is not on the bus")
    press(box, "push button", "OK")
    until(lambda: not showing(box), "the question answered")


def quit_program(program, main):
    press(main, "push button", "Quit")
    quit_window = until(lambda: next((w for w in children(program.app)
                                      if find(w, "push button", "Continue")), None),
                        "the quit window")
    check(quit_window, "quit window")
    press(quit_window, "push button", "Quit")
    code = program.process.wait(BOUND)
    expect(code == 0, f"the program ended with {code}")


def main_walk(bin_dir, tree_item):
    program = Program(bin_dir)
    try:
        walk(program, tree_item)
    except (AssertionError, GLib.GError) as stopped:
        problems.append(f"the walk stopped: {stopped}")
    finally:
        program.stop()
    for problem in problems:
        print("FAIL:", problem)
    print(f"bus walk: {len(problems)} problem(s)")
    return 1 if problems else 0


def walk(program, tree_item):
    main = keys_alone(program)
    if tree_item:
        choose(main, tree_item)
        print_tree(main)
    walk_every_item(main)
    check_how_to_windows(program)
    write_and_read_values(program, main)
    save_dialog_and_message_box(program, main)
    quit_program(program, main)


if __name__ == "__main__":
    tree = sys.argv[sys.argv.index("--print-tree") + 1] if "--print-tree" in sys.argv else None
    sys.exit(main_walk(sys.argv[1], tree))
