#!/usr/bin/env python3
# testharness tests: what keeps CI honest: an OpenGL test without a context is skipped, or
# fails when CI requires everything; test programs leave no temporary folder behind; CI's
# summary counts passed, failed and skipped tests as CTest reported them.
"""Usage: testharness_test.py GL_TEST_PROGRAM PLAIN_TEST_PROGRAM"""
import os
import subprocess
import sys
import tempfile
import unittest

HERE = os.path.dirname(os.path.abspath(__file__))
COUNTS = os.path.join(HERE, "..", "..", "tools", "ctestcounts.py")
GL_PROGRAM = None
PLAIN_PROGRAM = None


def run(program, extra_env, *arguments):
    env = dict(os.environ)
    for name in ("QV_REQUIRE_ALL", "QV_HOME"):
        env.pop(name, None)
    env.update(extra_env)
    return subprocess.run([program] + list(arguments), env=env, stdout=subprocess.PIPE,
                          stderr=subprocess.STDOUT, text=True, timeout=120)


class GlFixtures(unittest.TestCase):
    # A video driver that does not exist: no window, so no OpenGL context.
    NO_DISPLAY = {"SDL_VIDEODRIVER": "no-such-driver"}

    def test_without_a_context_the_test_is_skipped(self):
        result = run(GL_PROGRAM, self.NO_DISPLAY)
        self.assertEqual(0, result.returncode, result.stdout[-3000:])
        self.assertIn("[  SKIPPED ]", result.stdout)
        self.assertIn("no OpenGL context available", result.stdout)

    def test_without_a_context_the_test_fails_when_everything_is_required(self):
        result = run(GL_PROGRAM, dict(self.NO_DISPLAY, QV_REQUIRE_ALL="1"))
        self.assertNotEqual(0, result.returncode, result.stdout[-3000:])
        self.assertIn("QV_REQUIRE_ALL is set", result.stdout)
        self.assertNotIn("[  SKIPPED ]", result.stdout)


class TemporaryFolders(unittest.TestCase):
    def test_a_test_program_removes_its_temporary_folder(self):
        with tempfile.TemporaryDirectory() as folder:
            for arguments in ([], ["--gtest_list_tests"]):
                result = run(PLAIN_PROGRAM, {"TMPDIR": folder}, *arguments)
                self.assertEqual(0, result.returncode, result.stdout[-3000:])
                self.assertEqual([], os.listdir(folder), arguments)


class SummaryCounts(unittest.TestCase):
    def counts(self, text):
        with tempfile.NamedTemporaryFile("w", suffix=".log") as log:
            log.write(text)
            log.flush()
            result = subprocess.run([sys.executable, COUNTS, log.name], stdout=subprocess.PIPE,
                                    text=True)
        return result.returncode, result.stdout.strip()

    def test_skipped_tests_are_not_counted_as_passed(self):
        log = ("1/4 Test #1: A.a ...   Passed\n"
               "75% tests passed, 1 tests failed out of 4\n\n"
               "Total Test time (real) =   1.00 sec\n\n"
               "The following tests did not run:\n"
               "\t  3 - B.b (Skipped)\n"
               "\t  4 - B.c (Skipped)\n\n"
               "The following tests FAILED:\n"
               "\t  2 - A.b (Failed)\n")
        self.assertEqual((0, "1 1 2"), self.counts(log))

    def test_only_the_last_run_counts_and_no_summary_is_an_error(self):
        earlier = "100% tests passed, 0 tests failed out of 9\n\t 1 - X.y (Skipped)\n"
        self.assertEqual((0, "5 0 0"), self.counts(earlier + "100% tests passed, 0 tests failed out of 5\n"))
        self.assertEqual(1, self.counts("ninja: build stopped: subcommand failed.\n")[0])


if __name__ == "__main__":
    if len(sys.argv) < 3:
        print(__doc__, file=sys.stderr)
        sys.exit(2)
    GL_PROGRAM, PLAIN_PROGRAM = sys.argv[1], sys.argv[2]
    unittest.main(argv=sys.argv[:1])
