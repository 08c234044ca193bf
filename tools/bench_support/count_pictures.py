#!/usr/bin/python3
"""Counts the pictures drawn on the root window of $DISPLAY over SECONDS:
every drawing request reports damage, and a picture's requests reach the
server within one millisecond tick, so the distinct ticks of the damage
reports count the pictures. Prints the pictures per second.
Usage: count_pictures.py SECONDS"""
import sys
import time

from Xlib import display
from Xlib.ext import damage


def main():
    seconds = float(sys.argv[1])
    screen = display.Display()
    if not screen.has_extension("DAMAGE"):
        sys.exit("count_pictures: the display has no DAMAGE extension")
    root = screen.screen().root
    screen.damage_query_version()
    root.damage_create(damage.DamageReportRawRectangles)
    ticks = set()
    end = time.monotonic() + seconds
    while time.monotonic() < end:
        while screen.pending_events():
            event = screen.next_event()
            if event.type == screen.extension_event.DamageNotify:
                ticks.add(event.timestamp)
        time.sleep(0.001)
    print("%.1f" % (len(ticks) / seconds))


if __name__ == "__main__":
    main()
