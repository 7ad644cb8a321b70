#!/usr/bin/env python3
"""Fails when a source file includes a header of a folder it may not use.

Every #include "..." of the .h and .cpp files under common/, player/,
frontend/ and mail/ is resolved by the header's bare name to the one file of
the source tree with that name, and both files are mapped to their folder
(player/rules, common/core; a file lying directly in a module folder, like
player/main.cpp, belongs to that module folder). layers.txt beside this
script says which folder may include which; its top comment explains how.
Names that are no file of the tree (Qt, the system, generated headers) are
left alone.

    include_check.py [--root DIR] [--layers FILE]
    include_check.py --self-test
"""

import argparse
import os
import re
import sys
import tempfile
import unittest

MODULES = ("common", "player", "frontend", "mail")
SOURCE_SUFFIXES = (".h", ".cpp")
HERE = os.path.dirname(os.path.abspath(__file__))
DEFAULT_ROOT = os.path.dirname(os.path.dirname(HERE))
DEFAULT_LAYERS = os.path.join(HERE, "layers.txt")

INCLUDE_RE = re.compile(r'^\s*#\s*include\s*"([^"]+)"')


class LayersError(Exception):
    """layers.txt says something that cannot be read as directions."""


def is_build_folder(path, name):
    # Build folders hold generated copies (moc, rcc, configured headers) whose
    # names would shadow the real headers, and nothing in them is ours to check.
    return (name.startswith(".") or name == "build" or name.startswith("build-")
            or os.path.exists(os.path.join(path, "CMakeCache.txt")))


def source_files(root, top):
    """Every .h and .cpp below root/top, as paths relative to root, sorted."""
    found = []
    start = os.path.join(root, top)
    for here, dirs, files in os.walk(start):
        dirs[:] = sorted(d for d in dirs if not is_build_folder(os.path.join(here, d), d))
        for name in sorted(files):
            if name.endswith(SOURCE_SUFFIXES):
                found.append(os.path.relpath(os.path.join(here, name), root).replace(os.sep, "/"))
    return found


def folder_of(rel_path):
    """The folder a file counts for: module/sub inside a module, else its own folder."""
    parts = rel_path.split("/")
    if parts[0] in MODULES:
        return "/".join(parts[:2]) if len(parts) > 2 else parts[0]
    return "/".join(parts[:-1])


def read_layers(path):
    """The folders each folder may include (besides itself), closed over the chains."""
    direct = {}
    with open(path, encoding="utf-8") as f:
        lines = f.read().splitlines()
    for number, raw in enumerate(lines, 1):
        line = raw.split("#", 1)[0].strip()
        if not line:
            continue
        module = None
        head, sep, rest = line.partition(":")
        if sep:
            module = head.strip()
            line = rest
            if not module or "/" in module or " " in module:
                raise LayersError(f"{path}:{number}: bad module name {module!r}")
        groups = []
        for step in line.split("->"):
            names = [n.strip() for n in step.split(",")]
            if any(not n or " " in n for n in names):
                raise LayersError(f"{path}:{number}: a step of the chain names no folder: {raw.strip()!r}")
            groups.append([full_name(n, module) for n in names])
        for g in groups:
            for name in g:
                direct.setdefault(name, set())
        for upper, lower in zip(groups, groups[1:]):
            for a in upper:
                direct[a].update(lower)

    allowed = {}
    for start in direct:
        seen, todo = set(), list(direct[start])
        while todo:
            name = todo.pop()
            if name not in seen:
                seen.add(name)
                todo.extend(direct.get(name, ()))
        if start in seen:
            raise LayersError(f"{path}: {start} comes back to itself; the directions must not go round")
        allowed[start] = seen
    return allowed


def full_name(name, module):
    if module is None or "/" in name:
        return name
    return module if name == module else f"{module}/{name}"


def index_tree(root):
    """Bare file name -> the files of the tree with it (build folders left out)."""
    by_name = {}
    for top in sorted(os.listdir(root)):
        path = os.path.join(root, top)
        if os.path.isdir(path) and not is_build_folder(path, top):
            for rel in source_files(root, top):
                by_name.setdefault(rel.rsplit("/", 1)[-1], []).append(rel)
    return by_name


def resolve(includer, included, by_name):
    """The file an include names, None when it is not ours, or a list when it is ambiguous."""
    candidates = by_name.get(included.rsplit("/", 1)[-1], [])
    if len(candidates) <= 1:
        return candidates[0] if candidates else None
    # The compiler looks beside the including file first.
    beside = os.path.normpath(os.path.join(os.path.dirname(includer), included)).replace(os.sep, "/")
    return beside if beside in candidates else candidates


def check(root, layers_path):
    """The lines that break the directions, and how many includes were looked at."""
    allowed = read_layers(layers_path)
    by_name = index_tree(root)
    problems = []
    checked = 0
    for top in MODULES:
        if not os.path.isdir(os.path.join(root, top)):
            continue
        for rel in source_files(root, top):
            with open(os.path.join(root, rel), encoding="utf-8", errors="replace") as f:
                text = f.read().splitlines()
            for number, line in enumerate(text, 1):
                m = INCLUDE_RE.match(line)
                if not m:
                    continue
                target = resolve(rel, m.group(1), by_name)
                if target is None:
                    continue
                checked += 1
                where = f'{rel}:{number}: #include "{m.group(1)}"'
                if isinstance(target, list):
                    problems.append(f"{where}: more than one file has this name: {', '.join(target)}")
                    continue
                source, dest = folder_of(rel), folder_of(target)
                if source == dest or dest in allowed.get(source, ()):
                    continue
                why = ""
                unknown = [f for f in (source, dest) if f not in allowed]
                if unknown:
                    why = f" ({' and '.join(unknown)} not in {os.path.basename(layers_path)})"
                problems.append(f"{where}: {source} may not include {dest}{why}")
    return problems, checked


def main(argv):
    parser = argparse.ArgumentParser(description=__doc__.split("\n\n")[0])
    parser.add_argument("--root", default=DEFAULT_ROOT, help="the source tree (default: this checkout)")
    parser.add_argument("--layers", default=DEFAULT_LAYERS, help="the allowed directions")
    parser.add_argument("--self-test", action="store_true", help="check this script on made-up trees")
    args = parser.parse_args(argv)
    if args.self_test:
        suite = unittest.defaultTestLoader.loadTestsFromTestCase(SelfTest)
        result = unittest.TextTestRunner(stream=sys.stdout, verbosity=2).run(suite)
        return 0 if result.wasSuccessful() else 1
    try:
        problems, checked = check(args.root, args.layers)
    except LayersError as e:
        print(e)
        return 2
    for p in problems:
        print(p)
    if problems:
        print(f"{len(problems)} of {checked} includes go against {args.layers}")
        return 1
    print(f"{checked} includes checked against {args.layers}: all go the allowed way")
    return 0


class SelfTest(unittest.TestCase):
    """The check on small made-up trees, and the directions this suite relies on."""

    def setUp(self):
        self._tmp = tempfile.TemporaryDirectory()
        self.root = self._tmp.name
        self.layers = os.path.join(self.root, "layers.txt")
        self.write("layers.txt", "# made up\nplayer: player -> board -> rules  # the chain\nplayer/rules -> common\n")

    def tearDown(self):
        self._tmp.cleanup()

    def write(self, rel, text):
        path = os.path.join(self.root, rel)
        os.makedirs(os.path.dirname(path), exist_ok=True)
        with open(path, "w", encoding="utf-8") as f:
            f.write(text)

    def run_check(self):
        problems, _ = check(self.root, self.layers)
        return problems

    def test_downward_includes_pass_and_one_upward_include_fails(self):
        self.write("player/rules/rules.h", "#pragma once\n#include <vector>\n#include \"QString\"\n")
        self.write("player/board/view.cpp", '#include "view.h"\n#include "rules.h"\n')
        self.write("player/board/view.h", "#pragma once\n")
        self.assertEqual(self.run_check(), [])

        self.write("player/rules/rules.cpp", '#include "rules.h"\n#include "view.h"\n')
        self.assertEqual(self.run_check(),
                         ['player/rules/rules.cpp:2: #include "view.h": player/rules may not include player/board'])

    def test_command_line_reports_the_fault_and_its_exit_status(self):
        self.write("player/rules/rules.cpp", '#include "view.h"\n')
        self.write("player/board/view.h", "#pragma once\n")
        import contextlib
        import io
        out = io.StringIO()
        with contextlib.redirect_stdout(out):
            status = main(["--root", self.root, "--layers", self.layers])
        self.assertEqual(status, 1)
        self.assertIn('player/rules/rules.cpp:1: #include "view.h": player/rules may not include player/board',
                      out.getvalue())

        os.remove(os.path.join(self.root, "player/rules/rules.cpp"))
        with contextlib.redirect_stdout(io.StringIO()):
            self.assertEqual(main(["--root", self.root, "--layers", self.layers]), 0)

    def test_chains_are_transitive_and_module_files_map_to_the_module(self):
        self.write("common/piece.h", "#pragma once\n")
        self.write("player/main.cpp", '#include "piece.h"\n#include "rules.h"\n')
        self.write("player/rules/rules.h", '#include "piece.h"\n')
        self.assertEqual(self.run_check(), [])

        self.write("common/uses_player.h", '#include "rules.h"\n')
        self.assertEqual(self.run_check(),
                         ['common/uses_player.h:1: #include "rules.h": common may not include player/rules'])

    def test_folders_side_by_side_do_not_include_each_other(self):
        self.write("layers.txt", "player: strip, surface -> rules\n")
        self.write("player/rules/r.h", "")
        self.write("player/surface/s.h", '#include "r.h"\n')
        self.write("player/strip/t.h", '#include "r.h"\n#include "s.h"\n')
        self.assertEqual(self.run_check(),
                         ['player/strip/t.h:2: #include "s.h": player/strip may not include player/surface'])

    def test_unlisted_folders_and_other_programs_are_refused(self):
        self.write("layers.txt", "player: board -> rules\nfrontend: model\n")
        self.write("player/rules/r.h", "")
        self.write("frontend/model/m.cpp", '#include "r.h"\n')
        self.write("frontend/new/n.cpp", '#include "r.h"\n')
        self.assertEqual(self.run_check(), [
            'frontend/model/m.cpp:1: #include "r.h": frontend/model may not include player/rules',
            'frontend/new/n.cpp:1: #include "r.h": frontend/new may not include player/rules'
            ' (frontend/new not in layers.txt)',
        ])

    def test_paths_in_includes_and_deeper_folders_resolve_by_name(self):
        self.write("player/rules/deep/inner/r.h", "")
        self.write("player/board/lang/b.cpp", '#include "../../rules/deep/inner/r.h"\n')
        self.write("player/rules/x.cpp", '#include "b.cpp"\n')
        self.assertEqual(self.run_check(),
                         ['player/rules/x.cpp:1: #include "b.cpp": player/rules may not include player/board'])

    def test_build_folders_are_neither_checked_nor_resolved(self):
        self.write("player/rules/r.h", "")
        self.write("player/build/moc_view.cpp", '#include "view.h"\n')
        self.write("build/player/board/view.h", "")
        self.write("player/build-asan/rules.h", "")
        self.write("player/rules/r.cpp", '#include "view.h"\n#include "rules.h"\n')
        self.assertEqual(self.run_check(), [])

    def test_a_name_two_files_share_is_reported_unless_one_lies_beside(self):
        self.write("player/rules/same.h", "")
        self.write("player/board/same.h", "")
        self.write("player/board/b.cpp", '#include "same.h"\n')
        self.assertEqual(self.run_check(), [])
        self.write("player/main.cpp", '#include "same.h"\n')
        self.assertEqual(self.run_check(), [
            'player/main.cpp:1: #include "same.h": more than one file has this name: '
            'player/board/same.h, player/rules/same.h'])

    def test_layers_that_go_round_or_name_nothing_are_refused(self):
        self.write("layers.txt", "player: board -> rules\nplayer/rules -> player/board\n")
        with self.assertRaisesRegex(LayersError, "comes back to itself"):
            self.run_check()
        self.write("layers.txt", "player: board -> -> rules\n")
        with self.assertRaisesRegex(LayersError, r"layers.txt:1: a step of the chain names no folder"):
            self.run_check()

    def test_the_suites_directions(self):
        allowed = read_layers(DEFAULT_LAYERS)

        def may(a, b):
            return b in allowed.get(a, ())

        # Each program's chain, top to bottom, ends in the common code.
        chains = [
            ["player", "player/app", "player/frame", "player/board", "player/trays", "player/strip",
             "player/surface", "player/rules", "player/document", "common/core"],
            ["frontend", "frontend/windows", "frontend/model", "common/ui", "common/core"],
            ["mail", "mail/library", "mail/dialogs", "mail/app", "mail/protocol", "common/ui", "common/core"],
        ]
        for chain in chains:
            for i, upper in enumerate(chain):
                for lower in chain[i + 1:]:
                    self.assertTrue(may(upper, lower), f"{upper} -> {lower}")
                    self.assertFalse(may(lower, upper), f"{lower} -> {upper}")
        self.assertTrue(may("mail/lang", "mail/library"))
        # The play surface's widgets reach the common windows; the game's
        # data and rules do not.
        self.assertTrue(may("player/surface", "common/ui"))
        self.assertFalse(may("player/rules", "common/ui"))
        self.assertFalse(may("player/document", "common/ui"))
        self.assertEqual(allowed["common/core"], set())
        # No program reaches into another, nor the common code into any.
        programs = ("player", "frontend", "mail")
        for source, targets in allowed.items():
            for target in targets:
                top_s, top_t = source.split("/")[0], target.split("/")[0]
                if top_t in programs:
                    self.assertEqual(top_s, top_t, f"{source} -> {target}")
        # The art is for the folder that loads it only.
        self.assertTrue(may("player/app", "resources/player"))
        self.assertFalse(may("player/rules", "resources/player"))
        self.assertTrue(may("frontend/windows", "resources/frontend"))
        self.assertFalse(may("frontend/model", "resources/frontend"))


if __name__ == "__main__":
    sys.exit(main(sys.argv[1:]))
