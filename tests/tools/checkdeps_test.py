#!/usr/bin/env python3
# checkdeps tests: the dependency check on small made-up trees: first matching row decides,
# unmatched and undeclared includes are refused, cycles between folders are refused unless
# known for the engine, a broken table stops the check.
import os
import subprocess
import sys
import tempfile
import unittest

SCRIPT = os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "..", "tools",
                      "checkdeps.py")


class CheckDeps(unittest.TestCase):
    def setUp(self):
        self.folder = tempfile.TemporaryDirectory()
        self.root = self.folder.name

    def tearDown(self):
        self.folder.cleanup()

    def write(self, path, text):
        full = os.path.join(self.root, path)
        os.makedirs(os.path.dirname(full), exist_ok=True)
        with open(full, "w") as out:
            out.write(text)

    def run_check(self, table):
        self.write("deps.txt", table)
        result = subprocess.run([sys.executable, SCRIPT, "--root", self.root, "--table",
                                 os.path.join(self.root, "deps.txt")],
                                capture_output=True, text=True)
        return result.returncode, result.stdout + result.stderr

    def test_a_denied_edge_is_printed_with_its_rule(self):
        self.write("src/core/foundation/a.cpp", '#include "core/app/b.h"\n')
        self.write("src/core/app/b.h", "")
        code, out = self.run_check(
            "deny src/core/foundation/* ** the foundation stands alone\n")
        self.assertEqual(code, 1)
        self.assertIn('src/core/foundation/a.cpp: "core/app/b.h"', out)
        self.assertIn("the foundation stands alone", out)

    def test_the_first_matching_row_decides(self):
        self.write("src/core/foundation/a.cpp",
                   '#include "platform/debug.h"\n#include "platform/other.h"\n')
        self.write("src/platform/debug.h", "")
        self.write("src/platform/other.h", "")
        table = ("allow src/core/foundation/* src/platform/{debug,thread}.h the log\n"
                 "deny  src/core/foundation/* ** alone\n"
                 "allow src/** src/platform/* everyone\n")
        code, out = self.run_check(table)
        self.assertEqual(code, 1)
        self.assertNotIn("platform/debug.h", out)
        self.assertIn('"platform/other.h"', out)

    def test_an_edge_no_row_allows_is_refused_and_its_own_folder_is_free(self):
        self.write("game/flow/a.cpp", '#include "flow/b.h"\n#include "scene/c.h"\n')
        self.write("game/flow/b.h", "")
        self.write("game/scene/c.h", "")
        code, out = self.run_check("allow game/scene/** game/scene/** own\n")
        self.assertEqual(code, 1)
        self.assertIn("no row of the table allows game/flow/ -> game/scene/c.h", out)
        self.assertNotIn("flow/b.h", out)
        code, out = self.run_check("allow game/flow/** game/{flow,scene}/** scenes\n")
        self.assertEqual(code, 0, out)

    def test_libraries_are_checked_by_their_declared_headers(self):
        self.write("src/platform/display/display.cpp", "#include <SDL.h>\n#include <vector>\n")
        self.write("src/core/window/window.cpp", "#include <SDL.h>\n")
        table = ("lib SDL SDL.h\nlib C++ vector\n"
                 "allow src/platform/display/display.cpp lib:SDL the window\n"
                 "deny ** lib:SDL SDL stays in the display\n"
                 "allow ** lib:C++ everywhere\n")
        code, out = self.run_check(table)
        self.assertEqual(code, 1)
        self.assertIn("src/core/window/window.cpp: <SDL.h>", out)
        self.assertIn("SDL stays in the display", out)
        self.assertNotIn("display.cpp", out)
        self.write("src/core/window/window.cpp", "#include <zlib.h>\n")
        code, out = self.run_check(table)
        self.assertEqual(code, 1)
        self.assertIn("a header of no library the table declares", out)

    def test_an_include_of_a_missing_file_is_refused(self):
        self.write("src/a.cpp", '#include "core/nowhere.h"\n')
        code, out = self.run_check("allow ** ** all\n")
        self.assertEqual(code, 1)
        self.assertIn("no such file", out)

    def test_a_cycle_between_folders_is_refused_with_one_include_per_step(self):
        self.write("game/a/one.cpp", '#include "b/two.h"\n')
        self.write("game/b/two.h", '#include "c/three.h"\n')
        self.write("game/c/three.h", '#include "a/four.h"\n')
        self.write("game/a/four.h", "")
        self.write("game/d/five.h", '#include "a/four.h"\n')
        code, out = self.run_check("allow game/** game/** all\n")
        self.assertEqual(code, 1, out)
        self.assertIn("cycle of 3 folders (game/a, game/b, game/c): "
                      'game/a -> game/b (game/a/one.cpp: "b/two.h"); '
                      'game/b -> game/c (game/b/two.h: "c/three.h"); '
                      'game/c -> game/a (game/c/three.h: "a/four.h")', out)
        self.assertNotIn("game/d ->", out)
        self.write("game/c/three.h", "")
        code, out = self.run_check("allow game/** game/** all\n")
        self.assertEqual(code, 0, out)

    def test_known_cycles_are_the_engines_alone(self):
        self.write("src/x/a.h", '#include "y/b.h"\n')
        self.write("src/y/b.h", '#include "x/c.h"\n')
        self.write("src/x/c.h", "")
        table = "allow src/** src/** all\ncycle src/{x,y} being undone\n"
        code, out = self.run_check(table)
        self.assertEqual(code, 0, out)
        self.assertIn("known cycle of 2 folders (deps.txt:2: being undone)", out)
        # A cycle reaching past the known folders is refused.
        self.write("src/y/b.h", '#include "z/d.h"\n')
        self.write("src/z/d.h", '#include "x/c.h"\n')
        code, out = self.run_check(table)
        self.assertEqual(code, 1, out)
        self.assertIn("cycle of 3 folders (src/x, src/y, src/z)", out)
        code, out = self.run_check("allow ** ** all\ncycle game/** the game may not\n")
        self.assertEqual(code, 2, out)
        self.assertIn("only folders of src/", out)

    def test_a_broken_table_stops_the_check(self):
        self.write("src/a.cpp", "")
        for table in ("allow src/** src/**\n", "allow src/** lib:Nothing why\n",
                      "permit src/** src/** why\n", "allow src/{a,b src/** why\n",
                      "cycle src/**\n"):
            code, out = self.run_check(table)
            self.assertEqual(code, 2, table)
            self.assertIn("ERROR: ", out)


if __name__ == "__main__":
    unittest.main()
