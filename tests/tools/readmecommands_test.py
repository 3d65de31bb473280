#!/usr/bin/env python3
# readmecommands tests: README's two commands in a fresh clone, the game's first, each twice:
# the game starts and ends, the tests build and pass, a run without tests fails.
"""Slow (it builds the project in a clone and runs its tests twice): runs only with
QV_SLOW_TESTS=1, which CI sets; otherwise it reports itself skipped (exit status 77). The other
order, the test command first in a fresh clone, is CI's own first stage (README's test command
on a clean clone), in which this test runs."""
import os
import shutil
import subprocess
import sys
import tempfile
import unittest

SOURCE = os.path.abspath(os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", ".."))
SKIPPED = 77
# A whole build and test run on a loaded machine; far above what it takes.
COMMAND_TIMEOUT = 40 * 60


class ReadmeCommands(unittest.TestCase):
    # The clone lies below the folder the test runs in (the build's), so that a checkout
    # holding its build folder is a common root of the clone and of the build running this test.
    @classmethod
    def setUpClass(cls):
        cls.folder = tempfile.TemporaryDirectory(prefix="qvreadme-", dir=os.getcwd())
        cls.input = os.path.join(cls.folder.name, "input.txt")
        with open(cls.input, "w") as out:
            out.write("until game: main menu shown\nclose\nuntil game: asked: quit_title\nkey return\n")

    @classmethod
    def tearDownClass(cls):
        cls.folder.cleanup()

    def setUp(self):
        self.home = tempfile.mkdtemp(prefix="home-", dir=self.folder.name)

    def clone(self, name):
        target = os.path.join(self.folder.name, name)
        subprocess.run(["git", "clone", "--quiet", SOURCE, target], check=True)
        return target

    def run_command(self, clone, *command):
        env = dict(os.environ)
        # The inner test run must not start this test again, nor write into our folders.
        for name in ("QV_SLOW_TESTS", "QV_HOME", "QV_RESOURCES", "QV_INPUT_SCRIPT"):
            env.pop(name, None)
        env.update({"SDL_VIDEODRIVER": "offscreen", "ALSOFT_DRIVERS": "null"})
        # The clone's builds compile the same sources as the one that runs this test: with
        # paths taken relative to a root common to all of them, a compiler cache lets each reuse
        # the work of the others. CI hands in its run's cache; elsewhere the test keeps its own.
        if shutil.which("ccache"):
            cache = os.environ.get("CCACHE_DIR") or os.path.join(self.folder.name, "ccache")
            env.update({"CMAKE_CXX_COMPILER_LAUNCHER": "ccache", "CMAKE_C_COMPILER_LAUNCHER": "ccache",
                        "CCACHE_DIR": cache, "CCACHE_NOHASHDIR": "1",
                        "CCACHE_BASEDIR": os.path.commonpath([SOURCE, self.folder.name])})
        if command[0].endswith("build-and-run.sh"):
            env.update({"QV_HOME": self.home, "QV_INPUT_SCRIPT": self.input})
        result = subprocess.run(list(command), cwd=clone, env=env, stdout=subprocess.PIPE,
                                stderr=subprocess.STDOUT, text=True, timeout=COMMAND_TIMEOUT)
        return result.returncode, result.stdout

    def run_game(self, clone):
        status, output = self.run_command(clone, "./tools/build-and-run.sh")
        self.assertEqual(0, status, output[-4000:])

    def run_tests(self, clone):
        status, output = self.run_command(clone, "./tools/build-and-test.sh")
        self.assertEqual(0, status, output[-4000:])
        self.assertRegex(output, r"100% tests passed, 0 tests failed out of [1-9][0-9]*")

    def assert_only_build_folders_added(self, clone):
        # The build writes nothing into the checkout but its build folders.
        status = subprocess.run(["git", "status", "--porcelain", "--ignored"], cwd=clone,
                                stdout=subprocess.PIPE, text=True, check=True).stdout
        self.assertEqual(["!! build-run/", "!! build/"], sorted(status.splitlines()), status)

    def test_game_first_then_tests_each_twice(self):
        clone = self.clone("game-first")
        self.run_game(clone)
        self.run_tests(clone)
        self.run_game(clone)
        self.run_tests(clone)
        self.assert_only_build_folders_added(clone)
        # Configured without tests, the test command fails instead of passing on nothing.
        status, output = self.run_command(clone, "./tools/build-and-test.sh", "build-run",
                                          "-DQV_TESTS=OFF")
        self.assertNotEqual(0, status, output[-4000:])
        self.assertIn("No tests were found", output)


if __name__ == "__main__":
    if os.environ.get("QV_SLOW_TESTS") != "1":
        print("skipped: builds the project in two clones; set QV_SLOW_TESTS=1 to run it (CI does)")
        sys.exit(SKIPPED)
    if not shutil.which("git") or not os.path.exists(os.path.join(SOURCE, ".git")):
        print("FAILED: the source folder is not a git checkout to clone")
        sys.exit(1)
    unittest.main()
