#!/usr/bin/python3
# Writes the .exe's icon: the small images as the uncompressed bitmaps of SMALL.ico (what a
# window's title bar and task bar take at start-up, with nothing to decode), the large ones as
# PNG, as Windows reads them since Vista, in a tenth of the space.
#
#   make-ico.py SMALL.ico LARGE.png... OUT.ico
import struct
import sys

small, *large, out = sys.argv[1:]
data = open(small, "rb").read()
images = []
for i in range(struct.unpack("<HHH", data[:6])[2]):
    entry = data[6 + 16 * i:22 + 16 * i]
    size, offset = struct.unpack("<II", entry[8:16])
    images.append((entry[:8], data[offset:offset + size]))
for name in large:
    png = open(name, "rb").read()
    width, height = struct.unpack(">II", png[16:24])
    images.append((struct.pack("<BBBBHH", width % 256, height % 256, 0, 0, 1, 32), png))
offset = 6 + 16 * len(images)
head = struct.pack("<HHH", 0, 1, len(images))
for entry, image in images:
    head += entry + struct.pack("<II", len(image), offset)
    offset += len(image)
open(out, "wb").write(head + b"".join(image for _, image in images))
