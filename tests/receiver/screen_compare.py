#!/usr/bin/env python3
"""Reads X window dumps (xwd) of a whole screen, compares two of them and
writes PNG copies, so the receiver check can say what it saw without an
image toolkit on the host.

  screen_compare.py png DUMP OUT.png
  screen_compare.py watch --display D --since NS --timeout S --out DUMP
                    (--ref REF | --settle) [--pid PID] [compare's options]
                    shoots the screen until it matches REF (or holds still,
                    with --settle) and prints "painted SECONDS" after NS,
                    nanoseconds since the epoch; exit 1 on timeout, 3 when
                    PID ended first
  screen_compare.py compare REF DUMP [--mask X,Y,W,H]... [--allow FRACTION]
                    [--colourful X,Y,W,H,N]... [--diff OUT.png]
"""

import argparse
import os
import struct
import subprocess
import sys
import time
import zlib

HEADER_FIELDS = 25  # CARD32 words before the window name


class Dump:
    """A screen dump as rows of (r, g, b) bytes."""

    def __init__(self, width, height, rgb):
        self.width = width
        self.height = height
        self.rgb = rgb  # bytes, 3 per pixel, row after row

    def pixel(self, x, y):
        at = 3 * (y * self.width + x)
        return self.rgb[at:at + 3]


def _shift_of(mask):
    shift = 0
    while mask and not mask & 1:
        mask >>= 1
        shift += 1
    return shift


def read_xwd(path):
    with open(path, "rb") as f:
        return parse_xwd(f.read(), path)


def parse_xwd(data, path):
    if len(data) < 4 * HEADER_FIELDS:
        raise ValueError(f"{path}: {len(data)} bytes is too short for a screen dump")
    fields = struct.unpack(">25I", data[:100])
    (header_size, version, pixmap_format, _depth, width, height, _xoffset,
     byte_order, _unit, _bit_order, _pad, bits_per_pixel, bytes_per_line,
     _visual, red_mask, green_mask, blue_mask, _bits_rgb, _entries, ncolors,
     *_rest) = fields
    if version != 7 or pixmap_format != 2:
        raise ValueError(f"{path}: not a ZPixmap dump of version 7 (xwd)")
    if bits_per_pixel not in (24, 32) or width == 0 or height == 0:
        raise ValueError(f"{path}: {bits_per_pixel} bits per pixel is not a true-colour screen")
    start = header_size + 12 * ncolors
    if start + bytes_per_line * height > len(data):
        raise ValueError(f"{path}: the dump is truncated")
    step = bits_per_pixel // 8
    if bytes_per_line < width * step:
        raise ValueError(f"{path}: {bytes_per_line} bytes a line is too few for {width} pixels")
    order = "little" if byte_order == 0 else "big"
    shifts = (_shift_of(red_mask), _shift_of(green_mask), _shift_of(blue_mask))
    # Little-endian BGR or BGRX, what Xvfb's 24-bit screens give, is sliced
    # whole; any other layout goes pixel by pixel.
    fast = order == "little" and shifts == (16, 8, 0)
    out = bytearray(3 * width * height)
    for y in range(height):
        row = data[start + y * bytes_per_line:start + y * bytes_per_line + width * step]
        base = 3 * width * y
        if fast:
            out[base:base + 3 * width:3] = row[2::step]
            out[base + 1:base + 3 * width:3] = row[1::step]
            out[base + 2:base + 3 * width:3] = row[0::step]
            continue
        for x in range(width):
            v = int.from_bytes(row[x * step:(x + 1) * step], order)
            out[base + 3 * x] = (v & red_mask) >> shifts[0]
            out[base + 3 * x + 1] = (v & green_mask) >> shifts[1]
            out[base + 3 * x + 2] = (v & blue_mask) >> shifts[2]
    return Dump(width, height, bytes(out))


def write_png(dump, path):
    raw = bytearray()
    stride = 3 * dump.width
    for y in range(dump.height):
        raw.append(0)
        raw += dump.rgb[y * stride:(y + 1) * stride]

    def chunk(kind, body):
        return (struct.pack(">I", len(body)) + kind + body
                + struct.pack(">I", zlib.crc32(kind + body) & 0xFFFFFFFF))

    with open(path, "wb") as f:
        f.write(b"\x89PNG\r\n\x1a\n")
        f.write(chunk(b"IHDR", struct.pack(">IIBBBBB", dump.width, dump.height, 8, 2, 0, 0, 0)))
        f.write(chunk(b"IDAT", zlib.compress(bytes(raw), 6)))
        f.write(chunk(b"IEND", b""))


def parse_box(text):
    try:
        x, y, w, h = (int(v) for v in text.split(","))
    except ValueError:
        raise argparse.ArgumentTypeError(f"'{text}' is not X,Y,W,H")
    if w < 0 or h < 0:
        raise argparse.ArgumentTypeError(f"'{text}' has a negative size")
    return x, y, w, h


def _open_spans(width, height, masks):
    """For each row, the (start, end) column spans that no mask covers."""
    rows = []
    for y in range(height):
        cuts = sorted((max(0, x), min(width, x + w)) for x, my, w, h in masks
                      if my <= y < my + h and x < width and x + w > 0)
        spans, at = [], 0
        for lo, hi in cuts:
            if lo > at:
                spans.append((at, lo))
            at = max(at, hi)
        if at < width:
            spans.append((at, width))
        rows.append(spans)
    return rows


def parse_colourful(text):
    try:
        x, y, w, h, least = (int(v) for v in text.split(","))
    except ValueError:
        raise argparse.ArgumentTypeError(f"'{text}' is not X,Y,W,H,N")
    return x, y, w, h, least


def compare(ref, shot, masks, picture=False):
    """Pixels that differ outside the masks: (count, compared, bounding box,
    and with picture=True a diff picture: the shot darkened, differences
    red, masks blue)."""
    if (ref.width, ref.height) != (shot.width, shot.height):
        raise ValueError(f"the screens differ in size: {ref.width}x{ref.height} "
                         f"against {shot.width}x{shot.height}")
    w, h = ref.width, ref.height
    rows = _open_spans(w, h, masks)
    diff = bytearray(b"\x00\x00\xc0" * (w * h)) if picture else None
    count = compared = 0
    box = None
    for y, spans in enumerate(rows):
        base = 3 * w * y
        for lo, hi in spans:
            compared += hi - lo
            a = ref.rgb[base + 3 * lo:base + 3 * hi]
            b = shot.rgb[base + 3 * lo:base + 3 * hi]
            if picture:
                diff[base + 3 * lo:base + 3 * hi] = bytes(v // 3 for v in b)
            if a == b:
                continue
            for x in range(lo, hi):
                i = 3 * (x - lo)
                if a[i:i + 3] != b[i:i + 3]:
                    count += 1
                    if picture:
                        diff[base + 3 * x:base + 3 * x + 3] = b"\xff\x00\x00"
                    box = ([x, y, x, y] if box is None else
                           [min(box[0], x), min(box[1], y), max(box[2], x), max(box[3], y)])
    return count, compared, box, (Dump(w, h, bytes(diff)) if picture else None)


def colours_in(dump, box):
    """How many different colours the box of the dump holds."""
    x, y, w, h = box
    x0, x1 = max(0, x), min(dump.width, x + w)
    seen = set()
    for yy in range(max(0, y), min(dump.height, y + h)):
        row = dump.rgb[3 * (yy * dump.width + x0):3 * (yy * dump.width + x1)]
        seen.update(row[i:i + 3] for i in range(0, len(row), 3))
    return len(seen)


def shoot(display):
    """The whole screen of the X display, as xwd dumps it."""
    done = subprocess.run(["xwd", "-root", "-silent", "-display", display],
                          stdout=subprocess.PIPE, stderr=subprocess.PIPE, check=False)
    if done.returncode != 0:
        raise ValueError(f"xwd could not dump the screen of {display}: "
                         f"{done.stderr.decode(errors='replace').strip()}")
    return done.stdout


def alive(pid):
    try:
        os.kill(pid, 0)
    except ProcessLookupError:
        return False
    except PermissionError:
        return True
    # A child that ended but was not yet waited for is gone all the same.
    try:
        with open(f"/proc/{pid}/stat") as f:
            return f.read().rsplit(")", 1)[1].split()[0] != "Z"
    except OSError:
        return False


def problems(ref, shot, args):
    """What keeps the shot from matching ref: empty when it matches."""
    count, counted, box, _ = compare(ref, shot, args.mask)
    found = []
    if counted and count / counted > args.allow:
        where = "" if box is None else f" within {box[0]},{box[1]} to {box[2]},{box[3]}"
        found.append(f"{count} of {counted} compared pixels differ "
                     f"({100 * count / counted:.2f}%){where}")
    for x, y, w, h, least in args.colourful:
        seen = colours_in(shot, (x, y, w, h))
        if seen < least:
            found.append(f"the box {x},{y} {w}x{h} holds {seen} colours, fewer than {least}")
    return found


def watch(args):
    ref = read_xwd(args.ref) if args.ref else None
    deadline = time.monotonic() + args.timeout
    last = last_raw = None
    last_at = 0
    why = ["no screen was shot"]
    while True:
        taken_at = time.time_ns()
        raw = shoot(args.display)
        shot = parse_xwd(raw, "the screen")
        if ref is not None:
            why = problems(ref, shot, args)
            if not why:
                break
        elif last is not None:
            why = problems(last, shot, args)
            if not why:
                # Still since the shot before: that one showed it first.
                raw, taken_at = last_raw, last_at
                break
        last, last_raw, last_at = shot, raw, taken_at
        if args.pid and not alive(args.pid):
            with open(args.out, "wb") as f:
                f.write(raw)
            print("ended before the screen showed it")
            return 3
        if time.monotonic() > deadline:
            with open(args.out, "wb") as f:
                f.write(raw)
            print(f"timeout after {args.timeout:g} s")
            for line in why:
                print(line)
            return 1
        time.sleep(args.interval)
    with open(args.out, "wb") as f:
        f.write(raw)
    print(f"painted {(taken_at - args.since) / 1e9:.2f}")
    return 0


def add_compare_options(parser):
    parser.add_argument("--mask", type=parse_box, action="append", default=[])
    parser.add_argument("--allow", type=float, default=0.0,
                        help="fraction of the compared pixels that may differ")
    parser.add_argument("--colourful", type=parse_colourful, action="append", default=[],
                        help="X,Y,W,H,N: that box of the dump must hold at least N colours "
                             "(a masked part that must still show a picture)")


def main(argv):
    parser = argparse.ArgumentParser(description=__doc__, formatter_class=argparse.RawDescriptionHelpFormatter)
    sub = parser.add_subparsers(dest="command", required=True)
    p = sub.add_parser("png")
    p.add_argument("dump")
    p.add_argument("out")
    c = sub.add_parser("compare")
    c.add_argument("ref")
    c.add_argument("dump")
    add_compare_options(c)
    c.add_argument("--diff")
    w = sub.add_parser("watch")
    w.add_argument("--display", required=True)
    w.add_argument("--since", type=int, required=True)
    w.add_argument("--timeout", type=float, required=True)
    w.add_argument("--interval", type=float, default=0.1)
    w.add_argument("--out", required=True)
    w.add_argument("--pid", type=int)
    which = w.add_mutually_exclusive_group(required=True)
    which.add_argument("--ref")
    which.add_argument("--settle", action="store_true")
    add_compare_options(w)
    args = parser.parse_args(argv)
    try:
        if args.command == "png":
            write_png(read_xwd(args.dump), args.out)
            return 0
        if args.command == "watch":
            return watch(args)
        ref, shot = read_xwd(args.ref), read_xwd(args.dump)
        if args.diff:
            write_png(compare(ref, shot, args.mask, picture=True)[3], args.diff)
        why = problems(ref, shot, args)
        for line in why or ["the screens match"]:
            print(line)
        return 1 if why else 0
    except (OSError, ValueError) as e:
        print(f"screen_compare: {e}", file=sys.stderr)
        return 2


if __name__ == "__main__":
    sys.exit(main(sys.argv[1:]))
