#!/usr/bin/env python3
# linkalone tests: each layer's library, engine and game, links into an empty program with
# only the libraries it links (the layers below it), so it calls nothing above it.
"""Usage: linkalone_test.py CMAKE BUILD_DIR REFUSED_PROBE PROBE...

Each PROBE is a build target: an empty program that takes the whole archive of one layer's
library and what that library links. REFUSED_PROBE is one over a library that calls a
function defined nowhere: it must fail, for that symbol, or the probes prove nothing."""
import subprocess
import sys
import unittest

CMAKE = None
BUILD = None
REFUSED = None
PROBES = []


def build(target):
    # One probe at a time: two builds in one build folder must not race.
    return subprocess.run([CMAKE, "--build", BUILD, "--target", target], stdout=subprocess.PIPE,
                          stderr=subprocess.STDOUT, text=True, timeout=600)


class LinkAlone(unittest.TestCase):
    def test_a_call_upward_fails_the_probe(self):
        result = build(REFUSED)
        self.assertNotEqual(0, result.returncode, result.stdout)
        self.assertIn("DefinedAbove", result.stdout)

    def test_each_layer_links_with_only_the_layers_below_it(self):
        self.assertTrue(PROBES, "no probes given")
        for probe in PROBES:
            with self.subTest(probe=probe):
                result = build(probe)
                self.assertEqual(0, result.returncode, result.stdout[-4000:])


if __name__ == "__main__":
    CMAKE, BUILD, REFUSED = sys.argv[1:4]
    PROBES = sys.argv[4:]
    unittest.main(argv=sys.argv[:1])
