#!/usr/bin/env python3
"""lumivane.xml as xscreensaver-settings reads it: well-formed XML made only of
the elements and attributes the settings GUI knows, covering every setting,
and every option the GUI can build from it accepted by lumivane. An option is
accepted when "lumivane OPTIONS --help", run by hand, reaches the help: a bad
option by hand ends it with exit code 2 first.

The page's round trip, modelled on what the settings program does: it writes
the <command> words, then each widget's words in the file's order (a number
only when it is not at its default, a string only when it is not empty, a
boolean's arg-set or arg-unset, the chosen option's arg-set); reading a
command line back, it takes away the <command> words it starts with and finds
each widget's words in the rest, where "%" stands for one whole word (a "%"
inside a word, as in "--color=%", is never read back), a select with none of
its options showing its first. Every widget state must come back as it was,
and must leave lumivane with the same setting (the last option wins), not
with what its settings file holds: only an empty box may leave that.
Usage: check_saver_xml.py LUMIVANE LUMIVANE.XML"""
import os
import re
import shlex
import subprocess
import sys
import xml.etree.ElementTree as ElementTree

# Element: (attributes it must have, attributes it may have).
ELEMENTS = {
    "screensaver": ({"name", "_label"}, set()),
    "command": ({"arg"}, set()),
    "string": ({"id", "_label", "arg"}, set()),
    "number": ({"id", "type", "arg", "low", "high", "default"}, {"_label", "_low-label", "_high-label"}),
    "boolean": ({"id", "_label"}, {"arg-set", "arg-unset"}),
    "select": ({"id"}, set()),
    "option": ({"id", "_label"}, {"arg-set"}),
    "file": ({"id", "_label", "arg"}, set()),
    "hgroup": (set(), set()),
    "vgroup": (set(), set()),
    "_description": (set(), set()),
}
SETTINGS = {"text", "font", "height", "color", "cycle", "speed", "method"}
# What a user may type into each text box.
TYPED = {"text": "Hello, world", "font": "DejaVu Sans", "color": "#12AB34"}


def problems_of(root):
    problems = []
    if root.tag != "screensaver" or root.get("name") != "lumivane":
        problems.append("the root is not <screensaver name=\"lumivane\">")
    for element in root.iter():
        if element.tag not in ELEMENTS:
            problems.append("unknown element <%s>" % element.tag)
            continue
        required, optional = ELEMENTS[element.tag]
        missing = required - set(element.attrib)
        extra = set(element.attrib) - required - optional
        if missing or extra:
            problems.append("<%s id=%r>: missing %s, unknown %s" % (element.tag, element.get("id"),
                                                                     sorted(missing), sorted(extra)))
        if element.tag == "boolean" and not {"arg-set", "arg-unset"} & set(element.attrib):
            problems.append("<boolean id=%r> needs arg-set or arg-unset" % element.get("id"))
        if element.tag == "number":
            low, high, default = (float(element.get(k)) for k in ("low", "high", "default"))
            if element.get("type") not in ("slider", "spinbutton") or not low <= default <= high:
                problems.append("<number id=%r>: bad type or range" % element.get("id"))
    ids = {e.get("id") for e in root.iter() if e.get("id")}
    if not SETTINGS <= ids:
        problems.append("settings without a widget: %s" % sorted(SETTINGS - ids))
    return problems


WIDGETS = ("string", "file", "number", "boolean", "select")


def widgets_of(root):
    return [e for e in root.iter() if e.tag in WIDGETS]


def states_of(widget):
    """Every state a widget can be in; its default first."""
    if widget.tag in ("string", "file"):
        return ["", TYPED.get(widget.get("id"), "x")]
    if widget.tag == "number":
        return [int(widget.get(k)) for k in ("default", "low", "high")]
    if widget.tag == "boolean":
        # Ticked to begin with when only unticking writes something.
        ticked = "arg-set" not in widget.attrib
        return [ticked, not ticked]
    return [option.get("id") for option in widget.findall("option")]


def patterns_of(widget):
    """Each state's words, "%" for the value; None where a state writes nothing."""
    if widget.tag == "boolean":
        return {False: widget.get("arg-unset"), True: widget.get("arg-set")}
    if widget.tag == "select":
        return {option.get("id"): option.get("arg-set") for option in widget.findall("option")}
    return {None: widget.get("arg")}


def written(widget, state):
    """The words the page writes for a widget in a state."""
    if widget.tag in ("boolean", "select"):
        pattern = patterns_of(widget)[state]
        return shlex.split(pattern) if pattern else []
    if state == "" or (widget.tag == "number" and state == int(widget.get("default"))):
        return []
    return [word.replace("%", str(state)) for word in shlex.split(widget.get("arg"))]


def fixed_of(root):
    return [word for command in root.iter("command") for word in shlex.split(command.get("arg"))]


def command_of(root, states):
    line = fixed_of(root)
    for widget, state in zip(widgets_of(root), states):
        line += written(widget, state)
    return line


def matches_in(widget, words):
    """(position, state) for every place where words hold one of the widget's patterns."""
    found = []
    for state, pattern in patterns_of(widget).items():
        pattern = shlex.split(pattern or "")
        if not pattern or (state is None and "%" not in pattern):
            continue
        for start in range(len(words) - len(pattern) + 1):
            here = words[start:start + len(pattern)]
            if all(p == "%" or p == w for p, w in zip(pattern, here)):
                value = here[pattern.index("%")] if "%" in pattern else state
                found.append((start, int(value) if widget.tag == "number" else value))
    return found


def read_back(root, words):
    """The widget states the page shows for a command line."""
    fixed = fixed_of(root)
    if words[:len(fixed)] == fixed:
        words = words[len(fixed):]
    states = []
    for widget in widgets_of(root):
        found = matches_in(widget, words)
        states.append(min(found)[1] if found else states_of(widget)[0])
    return states


def round_trip_problems(root):
    """Every widget state, the others at their defaults: read back as set, and the saver's setting."""
    problems, produced = [], []
    widgets = widgets_of(root)
    defaults = [states_of(widget)[0] for widget in widgets]
    for i, widget in enumerate(widgets):
        for state in states_of(widget):
            states = defaults[:i] + [state] + defaults[i + 1:]
            line = command_of(root, states)
            produced.append(line)
            shown = read_back(root, line)[i]
            found = matches_in(widget, line)
            if shown != state:
                problems.append("<%s id=%r> set to %r writes %s, which the page reads back as %r"
                                % (widget.tag, widget.get("id"), state, line, shown))
            saver = max(found)[1] if found else None
            if saver != state and not (state == "" and saver is None):
                problems.append("<%s id=%r> set to %r writes %s, which leaves lumivane %s"
                                % (widget.tag, widget.get("id"), state, line,
                                   "with its settings file's value" if saver is None else "with %r" % saver))
    return problems, produced


def default_problems(root, help_text):
    """A number's default is the saver's own, as its --help states it."""
    problems = []
    # An option's description may go on over indented lines.
    help_text = re.sub(r"\n {8,}", " ", help_text)
    for widget in root.iter("number"):
        option = shlex.split(widget.get("arg"))[0]
        stated = re.search(r"^\s*%s .*\(default (-?\d+)\)" % re.escape(option), help_text, re.M)
        if not stated or int(stated.group(1)) != int(widget.get("default")):
            problems.append("<number id=%r> defaults to %s; lumivane --help: %s"
                            % (widget.get("id"), widget.get("default"), stated.group(0) if stated else "no default"))
    return problems


def main():
    saver, description = sys.argv[1], sys.argv[2]
    root = ElementTree.parse(description).getroot()
    problems = problems_of(root)
    environment = {k: v for k, v in os.environ.items() if k not in ("XSCREENSAVER_WINDOW", "DISPLAY")}
    round_trip, produced = round_trip_problems(root)
    problems += round_trip
    help_run = subprocess.run([saver, "--help"], env=environment, capture_output=True, text=True)
    problems += default_problems(root, help_run.stdout)
    for arguments in produced:
        run = subprocess.run([saver] + arguments + ["--help"], env=environment, capture_output=True, text=True)
        if run.returncode != 0:
            problems.append("lumivane refuses %s: %s" % (arguments, run.stderr.strip()))
    for problem in problems:
        print("FAIL:", problem)
    if not problems:
        print("lumivane.xml: %d elements known to the settings GUI; all %d widget states read back as set, "
              "explicit to lumivane, which accepts them" % (len(list(root.iter())), len(produced)))
    return 1 if problems else 0


if __name__ == "__main__":
    sys.exit(main())
