#!/usr/bin/env python3
"""The receiver check's screen reader and comparer on dumps made here: the
layouts Xvfb gives, masks, the picture test and what a bad dump gets."""

import os
import struct
import sys
import tempfile
import unittest

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
import screen_compare as sc  # noqa: E402


def xwd_bytes(width, height, pixel, bits=24, pad_to=4096, name=b"root\0"):
    """A ZPixmap dump as xwd writes Xvfb's screen: little-endian BGR(X),
    lines padded; pixel(x, y) gives (r, g, b)."""
    step = bits // 8
    line = max(pad_to, width * step)
    header_size = 100 + len(name)
    ncolors = 2
    fields = [header_size, 7, 2, 24, width, height, 0, 0, 32, 0, 32, bits, line,
              5, 0xFF0000, 0x00FF00, 0x0000FF, 8, 256, ncolors, width, height, 0, 0, 0]
    out = bytearray(struct.pack(">25I", *fields) + name + b"\0" * (12 * ncolors))
    for y in range(height):
        row = bytearray(line)
        for x in range(width):
            r, g, b = pixel(x, y)
            row[x * step:x * step + 3] = bytes((b, g, r))
        out += row
    return bytes(out)


def gradient(x, y):
    return (x * 7 % 256, y * 11 % 256, (x + y) % 256)


class ReadingDumps(unittest.TestCase):
    def test_packed_and_padded_layouts_read_alike(self):
        for bits, pad in ((24, 4096), (24, 0), (32, 0)):
            with self.subTest(bits=bits, pad=pad):
                d = sc.parse_xwd(xwd_bytes(40, 30, gradient, bits, pad), "t")
                self.assertEqual((d.width, d.height), (40, 30))
                for x, y in ((0, 0), (39, 0), (17, 29), (39, 29)):
                    self.assertEqual(tuple(d.pixel(x, y)), gradient(x, y))

    def test_bad_dumps_are_refused_with_a_reason(self):
        good = xwd_bytes(8, 8, gradient, pad_to=0)
        cases = {
            "short": good[:60],
            "truncated": good[:-10],
            "version": good[:4] + struct.pack(">I", 6) + good[8:],
            "palette": good[:44] + struct.pack(">I", 8) + good[48:],
            "narrow lines": good[:48] + struct.pack(">I", 8) + good[52:],
        }
        for what, data in cases.items():
            with self.subTest(what), self.assertRaises(ValueError):
                sc.parse_xwd(data, what)


class Comparing(unittest.TestCase):
    def setUp(self):
        self.ref = sc.Dump(20, 10, bytes(600))

    def changed(self, points, colour=b"\xff\x00\x00"):
        rgb = bytearray(self.ref.rgb)
        for x, y in points:
            rgb[3 * (y * 20 + x):3 * (y * 20 + x) + 3] = colour
        return sc.Dump(20, 10, bytes(rgb))

    def test_differences_are_counted_and_located(self):
        count, compared, box, _ = sc.compare(self.ref, self.changed([(3, 2), (15, 7)]), [])
        self.assertEqual((count, compared, box), (2, 200, [3, 2, 15, 7]))

    def test_masks_hide_only_what_they_cover(self):
        shot = self.changed([(3, 2), (15, 7)])
        count, compared, box, _ = sc.compare(self.ref, shot, [(0, 0, 5, 5), (4, 0, 2, 10)])
        self.assertEqual((count, box), (1, [15, 7, 15, 7]))
        self.assertEqual(compared, 200 - (25 + 20 - 5))  # the masks share 5 pixels
        # A mask reaching past the screen's edges is cut there.
        count, compared, _, _ = sc.compare(self.ref, shot, [(-5, -5, 100, 100)])
        self.assertEqual((count, compared), (0, 0))

    def test_diff_picture_marks_differences_and_masks(self):
        _, _, _, picture = sc.compare(self.ref, self.changed([(3, 2)]), [(10, 0, 1, 1)], picture=True)
        self.assertEqual(bytes(picture.pixel(3, 2)), b"\xff\x00\x00")
        self.assertEqual(bytes(picture.pixel(10, 0)), b"\x00\x00\xc0")
        self.assertEqual(bytes(picture.pixel(0, 0)), b"\x00\x00\x00")

    def test_screens_of_other_sizes_do_not_compare(self):
        with self.assertRaises(ValueError):
            sc.compare(self.ref, sc.Dump(10, 20, bytes(600)), [])

    def test_a_masked_box_must_still_show_a_picture(self):
        class Args:
            mask = [(0, 0, 10, 10)]
            allow = 0.0
            colourful = [(0, 0, 10, 10, 3)]
        plain = self.changed([(1, 1)])
        self.assertEqual(len(sc.problems(self.ref, plain, Args)), 1)  # 2 colours
        busy = self.changed([(1, 1)], b"\x00\xff\x00")
        busy = sc.Dump(20, 10, bytes(busy.rgb[:3 * 22]) + b"\xff\x00\x00" + busy.rgb[3 * 23:])
        self.assertEqual(sc.problems(self.ref, busy, Args), [])

    def test_allowance_is_a_share_of_the_compared_pixels(self):
        class Args:
            mask = []
            colourful = []
            allow = 0.01
        self.assertEqual(sc.problems(self.ref, self.changed([(0, 0), (1, 0)]), Args), [])
        self.assertEqual(len(sc.problems(self.ref, self.changed([(0, 0), (1, 0), (2, 0)]), Args)), 1)


class WritingPictures(unittest.TestCase):
    def test_png_holds_the_screen(self):
        d = sc.parse_xwd(xwd_bytes(5, 4, gradient, pad_to=0), "t")
        with tempfile.TemporaryDirectory() as folder:
            path = os.path.join(folder, "shot.png")
            sc.write_png(d, path)
            with open(path, "rb") as f:
                data = f.read()
        self.assertEqual(data[:8], b"\x89PNG\r\n\x1a\n")
        self.assertEqual(struct.unpack(">II", data[16:24]), (5, 4))


if __name__ == "__main__":
    unittest.main(verbosity=1)
