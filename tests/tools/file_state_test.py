#!/usr/bin/env python3
"""tools/file_state.py on declarations written here, and on a copy of the
sources with a mutable variable planted.

    file_state_test.py [repository root]
"""
import os
import shutil
import subprocess
import sys
import tempfile
import unittest

ROOT = os.path.abspath(sys.argv.pop(1) if len(sys.argv) > 1 else
                       os.path.join(os.path.dirname(__file__), "..", ".."))
sys.path.insert(0, os.path.join(ROOT, "tools"))
import file_state  # noqa: E402

TOPS = ("app", "libs", "platform", "installer")


class Declarations(unittest.TestCase):
    def test_function_pointers_count_unless_the_pointer_itself_is_const(self):
        text = """
            static int Twice(int x) { return 2 * x; }
            int (*Scale)(int) = Twice;
            static const char *(*Describe)(int code, const char *fallback);
            static LRESULT (CALLBACK *PreviousProc)(HWND, UINT, WPARAM, LPARAM);
            void (*Handlers[4])(void);
            static void (*const Fixed[2])(int) = {0, 0};
            int (*const Chosen)(int) = Twice;
            typedef int (*Filter)(int);
            int Apply(int (*filter)(int), int x);
        """
        found = file_state.variables(text)
        self.assertEqual([n for v in found for n in file_state.names(v)],
                         ["Scale", "Describe", "PreviousProc", "Handlers"], found)


class RepositoryCopy(unittest.TestCase):
    def setUp(self):
        self.root = tempfile.mkdtemp()
        self.addCleanup(shutil.rmtree, self.root)
        for top in TOPS:
            shutil.copytree(os.path.join(ROOT, top), os.path.join(self.root, top))

    def run_tool(self):
        return subprocess.run([sys.executable, os.path.join(ROOT, "tools", "file_state.py")],
                              cwd=self.root, capture_output=True, text=True)

    def test_the_sources_pass_and_a_planted_function_pointer_fails(self):
        self.assertEqual(self.run_tool().returncode, 0)
        with open(os.path.join(self.root, "libs/wallvane/jpeg/cpu_dispatch.cpp"), "a") as f:
            f.write("\nstatic void *(*PlantedCopy)(void *, const void *, size_t) = 0;\n")
        result = self.run_tool()
        self.assertEqual(result.returncode, 1)
        self.assertIn("cpu_dispatch.cpp:PlantedCopy", result.stdout)


if __name__ == "__main__":
    unittest.main()
