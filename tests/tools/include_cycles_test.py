#!/usr/bin/env python3
"""tools/include_cycles.py on small trees made here, and on a copy of the
repository with an include planted where it must not be.

    include_cycles_test.py [repository root]
"""
import glob
import json
import os
import shutil
import sys
import tempfile
import unittest

ROOT = os.path.abspath(sys.argv.pop(1) if len(sys.argv) > 1 else
                       os.path.join(os.path.dirname(__file__), "..", ".."))
sys.path.insert(0, os.path.join(ROOT, "tools"))
import include_cycles  # noqa: E402


def write(root, rel, text=""):
    path = os.path.join(root, rel)
    os.makedirs(os.path.dirname(path), exist_ok=True)
    with open(path, "w") as f:
        f.write(text)


def compile_entry(root, rel, folders):
    flags = " ".join("-I%s" % os.path.join(root, f) for f in folders)
    return {"directory": os.path.join(root, "build"), "file": os.path.join(root, rel),
            "command": "g++ %s -c %s" % (flags, os.path.join(root, rel))}


class SmallTree(unittest.TestCase):
    """The core in its layers with the arcade above it, each target compiled
    with the include folders CMake gives it: the core's files see app/ and,
    through the arcade library the core links, app/arcade too."""

    def setUp(self):
        self.root = tempfile.mkdtemp()
        self.addCleanup(shutil.rmtree, self.root)
        write(self.root, "app/core/core_ids.h")
        write(self.root, "app/core/notes_table/store.h", '#include "core/core_ids.h"\n')
        write(self.root, "app/core/notes_table/store.cpp", '#include "store.h"\n')
        write(self.root, "app/core/note_window/note.cpp",
              '#include "core/notes_table/store.h"\n#include "missing.h"\n')
        write(self.root, "app/core/main_window/main.h")
        write(self.root, "app/core/main_window/startup.cpp",
              '#include "main.h"\n#include "core/note_window/../notes_table/store.h"\n')
        write(self.root, "app/arcade/arcade_about.h", '#include "core/core_ids.h"\n')
        write(self.root, "app/arcade/about.cpp", '#include "arcade_about.h"\n')
        write(self.root, "libs/clock/clock.cpp", '#include "clock.h"\n')
        write(self.root, "libs/clock/clock.h")
        core = ["app", "app/arcade"]
        self.entries = [compile_entry(self.root, rel, core) for rel in (
            "app/core/notes_table/store.cpp", "app/core/note_window/note.cpp",
            "app/core/main_window/startup.cpp")]
        self.entries.append(compile_entry(self.root, "app/arcade/about.cpp", ["app", "app/arcade"]))
        self.entries.append(compile_entry(self.root, "libs/clock/clock.cpp", ["libs/clock", "app"]))

    def problems(self):
        return include_cycles.check(self.root, self.entries)

    def plant(self, rel, line):
        with open(os.path.join(self.root, rel), "a") as f:
            f.write(line + "\n")

    def test_includes_that_run_downwards_pass(self):
        self.assertEqual(self.problems(), [])

    def test_an_include_from_a_layer_above_fails(self):
        self.plant("app/core/notes_table/store.cpp", '#include "core/main_window/main.h"')
        found = self.problems()
        self.assertTrue(any(p.startswith("upward include in the core: "
                                         "app/core/notes_table/store.cpp") for p in found), found)

    def test_an_upward_include_inside_a_header_is_seen_through_its_includer(self):
        self.plant("app/core/notes_table/store.h", '#include "core/note_window/../main_window/main.h"')
        found = self.problems()
        self.assertTrue(any("app/core/notes_table/store.h" in p for p in found), found)

    def test_the_shared_declarations_include_no_layer(self):
        self.plant("app/core/core_ids.h", '#include "core/notes_table/store.h"')
        self.assertTrue(any("upward include" in p for p in self.problems()))

    def test_the_core_reaching_the_arcade_through_its_include_folder_fails(self):
        # Resolves neither beside the file nor under app/: only through the
        # arcade's own include folder, as the compiler finds it.
        self.plant("app/core/main_window/startup.cpp", '#include "../arcade/arcade_about.h"')
        found = self.problems()
        self.assertTrue(any(p.startswith("the core includes from app/arcade") for p in found), found)
        self.assertTrue(any(p.startswith("include circle between: app/arcade, app/core")
                            for p in found), found)

    def test_an_include_in_angle_brackets_is_resolved_through_the_include_folders(self):
        # Never beside the file: only through -I, as the compiler finds it.
        self.plant("app/core/notes_table/store.cpp", "#include <core/main_window/main.h>")
        self.plant("app/core/notes_table/store.cpp", "#include <store.h>")
        found = self.problems()
        self.assertTrue(any(p.startswith("upward include in the core: app/core/notes_table/store.cpp "
                                         "includes \"<core/main_window/main.h>\"") for p in found), found)
        self.assertFalse(any("<store.h>" in p for p in found), found)

    def test_a_library_including_from_app_fails(self):
        self.plant("libs/clock/clock.cpp", '#include "core/core_ids.h"')
        found = self.problems()
        self.assertTrue(any(p.startswith("library includes from app/") for p in found), found)

    def test_no_compile_commands_is_no_pass(self):
        self.assertEqual(include_cycles.main(["include_cycles.py", self.root]), 1)


class RepositoryCopy(unittest.TestCase):
    """The repository's own sources with the compile commands of its built
    trees: sound as they are, and caught with an include planted."""

    def setUp(self):
        commands = glob.glob(os.path.join(ROOT, "build", "*", "compile_commands.json"))
        if not commands:
            self.skipTest("no tree built: no compile commands")
        self.root = tempfile.mkdtemp()
        self.addCleanup(shutil.rmtree, self.root)
        for top in include_cycles.TOPS:
            shutil.copytree(os.path.join(ROOT, top), os.path.join(self.root, top))
        self.entries = []
        for path in commands:
            with open(path) as f:
                text = f.read()
            self.entries.extend(json.loads(text.replace(ROOT + "/", self.root + "/")))

    def plant(self, rel, line):
        with open(os.path.join(self.root, rel), "a") as f:
            f.write(line + "\n")

    def test_the_sources_pass_as_they_are(self):
        self.assertEqual(include_cycles.check(self.root, self.entries), [])

    def test_a_planted_upward_include_fails(self):
        self.plant("app/core/notes_table/notes_file.cpp", '#include "core/main_window/tray_icon.h"')
        found = include_cycles.check(self.root, self.entries)
        self.assertTrue(any("app/core/notes_table/notes_file.cpp" in p for p in found), found)

    def test_planted_includes_between_a_folder_and_its_sub_folder_fail(self):
        # Each folder level is its own unit: a sub-folder that reaches back up
        # into the folder that uses it closes a circle inside one subsystem.
        self.plant("libs/wallvane/jpeg/jpeg_decoder.h", '#include "../changer_rules.h"')
        self.plant("app/arcade/z80/z80.h", '#include "../arcade_machine.h"')
        self.plant("app/core/notes_table/notes_file.cpp", "#include <core/main_window/startup.h>")
        found = include_cycles.check(self.root, self.entries)
        for circle in ("include circle between: libs/wallvane, libs/wallvane/jpeg",
                       "include circle between: app/arcade, app/arcade/z80"):
            self.assertIn(circle, found)
        self.assertTrue(any(p.startswith("upward include in the core: app/core/notes_table/notes_file.cpp")
                            for p in found), found)

    def test_a_planted_core_arcade_include_fails(self):
        self.plant("app/core/main_window/startup.cpp", '#include "../arcade/arcade_about.h"')
        found = include_cycles.check(self.root, self.entries)
        self.assertTrue(any("include circle between: app/arcade, app/core" in p for p in found),
                        found)


if __name__ == "__main__":
    unittest.main()
