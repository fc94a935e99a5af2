#!/usr/bin/env python3
"""pack-ico.py OUT.ico BITMAP.ico FRAME.png...: OUT.ico holds the frames of
BITMAP.ico, each replaced by the PNG of the same size where that is smaller.
The PNGs come in the order of BITMAP.ico's frames. Windows reads PNG frames
in icons from Vista on, and Wine does; the pixels are the same."""
import struct
import sys


def frames_of(data):
    reserved, kind, count = struct.unpack_from("<HHH", data, 0)
    if (reserved, kind) != (0, 1):
        sys.exit(f"pack-ico: not an icon file")
    frames = []
    for i in range(count):
        width, height, colours, zero, planes, bits, size, offset = struct.unpack_from("<BBBBHHII", data, 6 + 16 * i)
        frames.append(((width, height, colours, zero, planes, bits), data[offset:offset + size]))
    return frames


def png_size(png):
    if png[:8] != b"\x89PNG\r\n\x1a\n" or png[12:16] != b"IHDR":
        sys.exit("pack-ico: a frame is not a PNG")
    return struct.unpack_from(">II", png, 16)


def main(out, bitmap_ico, pngs):
    with open(bitmap_ico, "rb") as f:
        frames = frames_of(f.read())
    if len(frames) != len(pngs):
        sys.exit(f"pack-ico: {len(frames)} frames but {len(pngs)} PNGs")
    chosen = []
    for (entry, bitmap), name in zip(frames, pngs):
        with open(name, "rb") as f:
            png = f.read()
        width, height = png_size(png)
        # An entry of 0 means 256 pixels.
        if (width % 256, height % 256) != entry[:2]:
            sys.exit(f"pack-ico: {name} is {width}x{height}, the frame {entry[0]}x{entry[1]}")
        chosen.append((entry, png if len(png) < len(bitmap) else bitmap))
    head = struct.pack("<HHH", 0, 1, len(chosen))
    offset = len(head) + 16 * len(chosen)
    body = b""
    for entry, data in chosen:
        head += struct.pack("<BBBBHHII", *entry, len(data), offset + len(body))
        body += data
    with open(out, "wb") as f:
        f.write(head + body)


if __name__ == "__main__":
    if len(sys.argv) < 4:
        sys.exit("usage: pack-ico.py OUT.ico BITMAP.ico FRAME.png...")
    main(sys.argv[1], sys.argv[2], sys.argv[3:])
