#!/usr/bin/python3
# Packs the window's font for the .exe: its size as four bytes, little-endian, then the font as raw
# DEFLATE data at the highest level, which faces/win32/inflate.cpp unpacks at start-up. The same
# font gives the same bytes.
#
#   pack-font.py FONT.ttf OUT
import struct
import sys
import zlib

font = open(sys.argv[1], "rb").read()
packer = zlib.compressobj(9, zlib.DEFLATED, -15, 9)
packed = packer.compress(font) + packer.flush()
open(sys.argv[2], "wb").write(struct.pack("<I", len(font)) + packed)
