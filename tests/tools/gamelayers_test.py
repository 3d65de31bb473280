#!/usr/bin/env python3
# gamelayers tests: each game folder's library, and each of the engine's layer libraries,
# builds against the headers of the folders it links and not against those of a higher or a
# sibling folder, which its include path lacks; no game folder but the start-up sees the
# platform or the OpenGL back end.
"""Usage: gamelayers_test.py COMPILER LIBRARY=DIR:DIR... ...

Each LIBRARY=... argument gives the include directories of that library (a game folder's
name, or an engine layer's qv_ library); the probes of the libraries given run."""
import os
import subprocess
import sys
import tempfile
import unittest

COMPILER = None
INCLUDES = {}

# (folder, header, builds): a header the folder may use, and headers of the folders above
# it or beside it.
PROBES = [
    ("scene", "scene/binarybuffer.h", True),
    ("scene", "media/soundlevels.h", False),
    ("media", "media/soundlevels.h", True),
    ("media", "shell/gamedefs.h", False),
    ("shell", "media/soundlevels.h", True),
    ("shell", "screenbase/gamestates.h", False),
    ("screenbase", "screenbase/gamestates.h", True),
    ("screenbase", "shell/gamedefs.h", False),
    ("screenbase", "story/casefile.h", False),
    ("story", "shell/gamedefs.h", True),
    ("story", "controller/screenfactory.h", False),
    ("search", "story/casefile.h", True),
    ("search", "puzzles/metapuzzle.h", False),
    ("puzzles", "search/searchscreen.h", False),
    ("puzzles", "controller/screenfactory.h", False),
    ("controller", "search/searchscreen.h", True),
    ("controller", "app/gamemain.h", False),
    ("app", "controller/screenfactory.h", True),
    ("app", "platform/platform.h", True),
    # Only the program's start-up sees the platform and the OpenGL back end; the other
    # folders reach the machine through the engine's interfaces.
    ("scene", "core/sound/soundplayer.h", True),
] + [(folder, header, False)
     for folder in ("scene", "media", "shell", "screenbase", "story", "search", "puzzles", "controller")
     for header in ("platform/platform.h", "gl/gldisplayhandler.h")] + [
    # The engine's layers:
    #   foundation < script < graphics < sound < particles < online < window < app < gl < platform
    ("qv_foundation", "core/foundation/services.h", True),
    ("qv_foundation", "core/script/script.h", False),
    ("qv_script", "core/foundation/config.h", True),
    ("qv_script", "core/graphics/renderer.h", False),
    ("qv_graphics", "core/script/script.h", True),
    ("qv_graphics", "core/window/windowmanager.h", False),
    ("qv_graphics", "gl/gldisplayhandler.h", False),
    ("qv_sound", "core/graphics/texture.h", False),
    ("qv_sound", "platform/sound/soundmanager.h", False),
    ("qv_particles", "core/graphics/renderer.h", True),
    ("qv_particles", "core/window/window.h", False),
    ("qv_online", "platform/online/simplehttp.h", False),
    ("qv_window", "core/graphics/renderer.h", True),
    ("qv_window", "core/app/gamestate.h", False),
    ("qv_window", "platform/platform.h", False),
    ("qv_app", "core/window/windowscript.h", True),
    ("qv_app", "platform/platform.h", False),
    ("qv_gl", "core/graphics/displaybackend.h", True),
    ("qv_gl", "core/window/window.h", False),
    ("qv_gl", "platform/platform.h", False),
    ("qv_platform", "core/app/gamestate.h", True),
    ("qv_platform", "gl/gldisplayhandler.h", True),
]


def compile_include(folder, header, work):
    source = os.path.join(work, "probe.cpp")
    with open(source, "w") as out:
        out.write('#include "%s"\n' % header)
    command = [COMPILER, "-std=c++17", "-fsyntax-only", source]
    command += ["-I" + path for path in INCLUDES[folder]]
    return subprocess.run(command, stdout=subprocess.PIPE, stderr=subprocess.STDOUT, text=True,
                          timeout=120)


class GameLayers(unittest.TestCase):
    def test_a_folder_builds_only_against_the_folders_it_links(self):
        probes = [probe for probe in PROBES if probe[0] in INCLUDES]
        self.assertTrue(probes, "no library given has probes")
        with tempfile.TemporaryDirectory() as work:
            for folder, header, builds in probes:
                with self.subTest(folder=folder, header=header):
                    result = compile_include(folder, header, work)
                    if builds:
                        self.assertEqual(0, result.returncode, result.stdout)
                    else:
                        self.assertNotEqual(0, result.returncode)
                        # Refused for the missing header, not for some other fault.
                        self.assertIn(header, result.stdout)
                        self.assertIn("No such file", result.stdout)


if __name__ == "__main__":
    COMPILER = sys.argv[1]
    for argument in sys.argv[2:]:
        folder, _, paths = argument.partition("=")
        INCLUDES[folder] = [path for path in paths.split(":") if path]
    unittest.main(argv=sys.argv[:1])
