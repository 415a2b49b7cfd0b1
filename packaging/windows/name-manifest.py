#!/usr/bin/env python3
"""Names the setup program in its manifest: makensis writes a manifest of its own into
the setup's header, which names NSIS. Run by !packhdr, which hands over that header
before the data is appended and the checksum taken. The identity's name and version and
the description are replaced in place, the tag padded with blanks, so that nothing in
the file moves.

    name-manifest.py HEADER NAME VERSION DESCRIPTION
"""
import re
import sys

path, name, version, description = sys.argv[1:5]
data = open(path, 'rb').read()
identity = re.compile(rb'<assemblyIdentity version="[0-9.]+"([^>]*?) name="[^"]*"([^>]*?)\s*/>'
                      rb'<description>[^<]*</description>')
found = identity.findall(data)
if len(found) != 1:
    sys.exit(f'{path}: {len(found)} manifests, not one')
old = identity.search(data)
new = (b'<assemblyIdentity version="' + version.encode() + b'"' + old.group(1) +
       b' name="' + name.encode() + b'"' + old.group(2))
tail = b'/><description>' + description.encode() + b'</description>'
room = len(old.group(0)) - len(new) - len(tail)
if room < 0:
    sys.exit(f'{path}: the name and the description are {-room} bytes too long')
open(path, 'wb').write(data[:old.start()] + new + b' ' * room + tail + data[old.end():])
