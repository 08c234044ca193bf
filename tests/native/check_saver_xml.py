#!/usr/bin/env python3
"""lumivane.xml as xscreensaver-settings reads it: well-formed XML made only of
the elements and attributes the settings GUI knows, covering every setting,
and every option the GUI can build from it accepted by lumivane. An option is
accepted when "lumivane OPTIONS --help", run by hand, reaches the help: a bad
option by hand ends it with exit code 2 first.
Usage: check_saver_xml.py LUMIVANE LUMIVANE.XML"""
import os
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
        if element.tag == "boolean" and ("arg-set" in element.attrib) == ("arg-unset" in element.attrib):
            problems.append("<boolean id=%r> needs one of arg-set and arg-unset" % element.get("id"))
        if element.tag == "number":
            low, high, default = (float(element.get(k)) for k in ("low", "high", "default"))
            if element.get("type") not in ("slider", "spinbutton") or not low <= default <= high:
                problems.append("<number id=%r>: bad type or range" % element.get("id"))
        if element.tag == "select" and sum("arg-set" not in o.attrib for o in element.findall("option")) != 1:
            problems.append("<select id=%r> needs exactly one default option" % element.get("id"))
    ids = {e.get("id") for e in root.iter() if e.get("id")}
    if not SETTINGS <= ids:
        problems.append("settings without a widget: %s" % sorted(SETTINGS - ids))
    return problems


def options_of(root):
    """Every argument list the GUI can put on the command line, one widget state at a time."""
    fixed = [shlex.split(c.get("arg")) for c in root.iter("command")]
    base = [a for args in fixed for a in args]
    produced = [base]
    for element in root.iter():
        if element.tag in ("string", "file"):
            produced.append(base + shlex.split(element.get("arg").replace("%", shlex.quote(TYPED.get(element.get("id"), "x")))))
        elif element.tag == "number":
            for key in ("low", "default", "high"):
                produced.append(base + shlex.split(element.get("arg").replace("%", element.get(key))))
        elif element.tag == "boolean":
            produced.append(base + shlex.split(element.get("arg-set") or element.get("arg-unset")))
        elif element.tag == "option" and element.get("arg-set"):
            produced.append(base + shlex.split(element.get("arg-set")))
    return produced


def main():
    saver, description = sys.argv[1], sys.argv[2]
    root = ElementTree.parse(description).getroot()
    problems = problems_of(root)
    environment = {k: v for k, v in os.environ.items() if k not in ("XSCREENSAVER_WINDOW", "DISPLAY")}
    produced = options_of(root)
    for arguments in produced:
        run = subprocess.run([saver] + arguments + ["--help"], env=environment, capture_output=True, text=True)
        if run.returncode != 0:
            problems.append("lumivane refuses %s: %s" % (arguments, run.stderr.strip()))
    for problem in problems:
        print("FAIL:", problem)
    if not problems:
        print("lumivane.xml: %d elements known to the settings GUI; lumivane accepts all %d option sets it builds"
              % (len(list(root.iter())), len(produced)))
    return 1 if problems else 0


if __name__ == "__main__":
    sys.exit(main())
