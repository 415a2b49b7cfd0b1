#!/usr/bin/python3
# Stands in for a screen reader: listens to what it listens to (focus, state, children
# and names) and reads the name of whatever an event came from. Says "ready" once its
# listeners are registered; on SIGTERM prints how many events it got to stderr.
import signal, sys
import pyatspi

events = 0

def heard(event):
    global events
    events += 1
    if event.source: event.source.name

def stop(*_):
    print(f"screen reader client: {events} events", file=sys.stderr)
    sys.exit(0)

signal.signal(signal.SIGTERM, stop)
pyatspi.Registry.registerEventListener(heard, "focus:", "object:state-changed", "object:children-changed",
                                       "object:property-change", "object:selection-changed")
print("ready", flush=True)
pyatspi.Registry.start()
