#!/usr/bin/env python3
# ctestcounts: reads the output of one CTest run and prints "PASSED FAILED SKIPPED" as CTest
# itself counted them; CI adds these up into its summary line.
"""Usage: tools/ctestcounts.py LOG

CTest's total ("... tests failed out of N") counts skipped tests as passed; they are listed
apart under "The following tests did not run:" with "(Skipped)". A log without CTest's total
(a failed build) prints nothing and exits with status 1."""
import re
import sys


def counts(text):
    totals = re.findall(r"(\d+) tests failed out of (\d+)", text)
    if not totals:
        return None
    failed, total = (int(n) for n in totals[-1])
    # Only the last run's list: a log may hold an earlier run's output too.
    last = text.rfind("tests failed out of")
    listed = text[last:]
    skipped = len(re.findall(r"^\s*\d+ - .*\(Skipped\)\s*$", listed, re.MULTILINE))
    return total - failed - skipped, failed, skipped


def main():
    if len(sys.argv) != 2:
        print(__doc__, file=sys.stderr)
        return 2
    with open(sys.argv[1], errors="replace") as log:
        result = counts(log.read())
    if result is None:
        return 1
    print("%d %d %d" % result)
    return 0


if __name__ == "__main__":
    sys.exit(main())
