#!/usr/bin/env python3
# checkdeps: reads every #include of src/ and game/ and refuses each one that the table of
# allowed dependencies (tools/deps.txt) does not allow; prints "file: include  (rule)", and
# each cycle of includes between folders with one include per step.
"""Usage: tools/checkdeps.py [--table FILE] [--root DIR] [--list]

--list prints every edge between folders with the row that decides it, for reading the
table against the tree. The exit status is 1 when any include is refused or the folders
include each other in a cycle the table does not name as known, 2 when the table itself
cannot be read.
"""
import fnmatch
import os
import re
import sys

SOURCE_ROOTS = ("src", "game")
SOURCE_SUFFIXES = (".h", ".hpp", ".c", ".cc", ".cpp")
INCLUDE = re.compile(r'^\s*#\s*include\s*([<"])([^>"]+)[>"]')


class TableError(Exception):
    pass


def glob_to_regex(pattern):
    """Glob over paths: '**' crosses folders, '*' and '?' stay within one, '{a,b}' is
    either (not nested)."""
    out = []
    i = 0
    in_braces = False
    while i < len(pattern):
        if pattern[i] == "{" and not in_braces:
            out.append("(?:")
            in_braces = True
            i += 1
        elif pattern[i] == "}" and in_braces:
            out.append(")")
            in_braces = False
            i += 1
        elif pattern[i] == "," and in_braces:
            out.append("|")
            i += 1
        elif pattern.startswith("**", i):
            out.append(".*")
            i += 2
        elif pattern[i] == "*":
            out.append("[^/]*")
            i += 1
        elif pattern[i] == "?":
            out.append("[^/]")
            i += 1
        else:
            out.append(re.escape(pattern[i]))
            i += 1
    if in_braces:
        raise TableError("unclosed '{' in %s" % pattern)
    return re.compile("^" + "".join(out) + "$")


class Rule:
    def __init__(self, line_number, verdict, source, target, reason):
        self.line_number = line_number
        self.verdict = verdict
        self.source = source
        self.target = target
        self.reason = reason
        self.source_regex = glob_to_regex(source)
        self.target_regex = None if target.startswith("lib:") else glob_to_regex(target)

    def matches(self, source, target_path, target_lib):
        if not self.source_regex.match(source):
            return False
        if self.target_regex is None:
            return target_lib is not None and self.target == "lib:" + target_lib
        return target_path is not None and bool(self.target_regex.match(target_path))

    def describe(self):
        return "deps.txt:%d %s %s %s: %s" % (self.line_number, self.verdict, self.source,
                                            self.target, self.reason)


class KnownCycles:
    """A "cycle GLOB REASON" row: cycles whose folders all match GLOB are known (reported, not
    refused). Only the engine may have them: the glob must lie below src/."""

    def __init__(self, line_number, folders, reason):
        self.line_number = line_number
        self.folders = folders
        self.reason = reason
        self.regex = glob_to_regex(folders)

    def covers(self, folders):
        return all(self.regex.match(folder) for folder in folders)


def read_table(path):
    libraries = []  # (name, [header globs])
    rules = []
    known_cycles = []
    with open(path, encoding="utf-8") as table:
        for number, raw in enumerate(table, 1):
            line = raw.strip()
            if not line or line.startswith("#"):
                continue
            words = line.split()
            kind = words[0]
            if kind == "lib":
                if len(words) < 3:
                    raise TableError("%s:%d: 'lib NAME HEADER...' needs a header" % (path, number))
                libraries.append((words[1], words[2:]))
            elif kind in ("allow", "deny"):
                if len(words) < 4:
                    raise TableError("%s:%d: '%s FROM TO REASON' needs a reason" %
                                     (path, number, kind))
                target = words[2]
                if target.startswith("lib:") and target[4:] not in [n for n, _ in libraries]:
                    raise TableError("%s:%d: library %s is not declared above" %
                                     (path, number, target[4:]))
                try:
                    rules.append(Rule(number, kind, words[1], target, " ".join(words[3:])))
                except TableError as error:
                    raise TableError("%s:%d: %s" % (path, number, error))
            elif kind == "cycle":
                if len(words) < 3:
                    raise TableError("%s:%d: 'cycle FOLDERS REASON' needs a reason" % (path, number))
                if not words[1].startswith("src/"):
                    raise TableError("%s:%d: only folders of src/ may have known cycles" %
                                     (path, number))
                known_cycles.append(KnownCycles(number, words[1], " ".join(words[2:])))
            else:
                raise TableError("%s:%d: unknown row kind '%s'" % (path, number, kind))
    return libraries, rules, known_cycles


def library_of(header, libraries):
    for name, globs in libraries:
        for pattern in globs:
            if fnmatch.fnmatchcase(header, pattern):
                return name
    return None


def source_files(root):
    for top in SOURCE_ROOTS:
        for folder, subfolders, files in os.walk(os.path.join(root, top)):
            subfolders.sort()
            for name in sorted(files):
                if name.endswith(SOURCE_SUFFIXES):
                    yield os.path.relpath(os.path.join(folder, name), root)


def resolve(root, including, header):
    """The quoted include's path under root, searched as the compiler does: beside the
    including file, then in each include root."""
    candidates = [os.path.join(os.path.dirname(including), header)]
    candidates += [os.path.join(top, header) for top in SOURCE_ROOTS]
    for candidate in candidates:
        if os.path.isfile(os.path.join(root, candidate)):
            return os.path.normpath(candidate)
    return None


def decide(rules, source, target_path, target_lib):
    for rule in rules:
        if rule.matches(source, target_path, target_lib):
            return rule
    return None


def strongly_connected(graph):
    """The groups of folders that reach each other (Tarjan), each of more than one folder."""
    index = {}
    low = {}
    stack = []
    on_stack = set()
    groups = []
    counter = [0]

    def visit(node):
        # Iterative: a deep tree of folders must not hit Python's recursion limit.
        work = [(node, iter(sorted(graph.get(node, ()))))]
        index[node] = low[node] = counter[0]
        counter[0] += 1
        stack.append(node)
        on_stack.add(node)
        while work:
            current, successors = work[-1]
            advanced = False
            for successor in successors:
                if successor not in index:
                    index[successor] = low[successor] = counter[0]
                    counter[0] += 1
                    stack.append(successor)
                    on_stack.add(successor)
                    work.append((successor, iter(sorted(graph.get(successor, ())))))
                    advanced = True
                    break
                if successor in on_stack:
                    low[current] = min(low[current], index[successor])
            if advanced:
                continue
            work.pop()
            if work:
                parent = work[-1][0]
                low[parent] = min(low[parent], low[current])
            if low[current] == index[current]:
                group = []
                while True:
                    member = stack.pop()
                    on_stack.discard(member)
                    group.append(member)
                    if member == current:
                        break
                if len(group) > 1:
                    groups.append(sorted(group))

    for node in sorted(graph):
        if node not in index:
            visit(node)
    return groups


def shortest_cycle(graph, group):
    """A shortest cycle through the group's first folder, staying inside the group."""
    start = group[0]
    members = set(group)
    previous = {start: None}
    queue = [start]
    while queue:
        node = queue.pop(0)
        for successor in sorted(graph.get(node, ())):
            if successor == start:
                path = [node]
                while previous[path[-1]] is not None:
                    path.append(previous[path[-1]])
                return list(reversed(path)) + [start]
            if successor in members and successor not in previous:
                previous[successor] = node
                queue.append(successor)
    return [start]


def report_cycles(edges, known_cycles):
    """Prints each cycle between folders; answers how many are not known."""
    graph = {}
    for source, target in edges:
        graph.setdefault(source, set()).add(target)
    unknown = 0
    for group in strongly_connected(graph):
        cycle = shortest_cycle(graph, group)
        steps = []
        for source, target in zip(cycle, cycle[1:]):
            example = edges[(source, target)]
            steps.append("%s -> %s (%s)" % (source, target, example))
        known = next((row for row in known_cycles if row.covers(group)), None)
        if known:
            print("known cycle of %d folders (deps.txt:%d: %s): %s" %
                  (len(group), known.line_number, known.reason, "; ".join(steps)))
        else:
            unknown += 1
            print("cycle of %d folders (%s): %s" % (len(group), ", ".join(group), "; ".join(steps)))
    return unknown


def main(argv):
    here = os.path.dirname(os.path.abspath(__file__))
    root = os.path.dirname(here)
    table = os.path.join(here, "deps.txt")
    listing = False
    args = list(argv)
    while args:
        arg = args.pop(0)
        if arg == "--table" and args:
            table = args.pop(0)
        elif arg == "--root" and args:
            root = args.pop(0)
        elif arg == "--list":
            listing = True
        else:
            print(__doc__.strip(), file=sys.stderr)
            return 2
    try:
        libraries, rules, known_cycles = read_table(table)
    except (OSError, TableError) as error:
        print("ERROR: %s" % error, file=sys.stderr)
        return 2

    refused = 0
    checked = 0
    listed = {}
    # (folder, folder) -> one include that makes the edge, "file: header".
    edges = {}
    for source in source_files(root):
        with open(os.path.join(root, source), encoding="utf-8", errors="replace") as text:
            for line in text:
                match = INCLUDE.match(line)
                if not match:
                    continue
                quoted, header = match.group(1) == '"', match.group(2).strip()
                checked += 1
                shown = '"%s"' % header if quoted else "<%s>" % header
                target_path = resolve(root, source, header) if quoted else None
                target_lib = None if quoted else library_of(header, libraries)
                if quoted and target_path is None:
                    print("%s: %s  (no such file under %s)" %
                          (source, shown, " or ".join(SOURCE_ROOTS)))
                    refused += 1
                    continue
                if not quoted and target_lib is None:
                    print("%s: %s  (a header of no library the table declares; add it to a"
                          " 'lib' row)" % (source, shown))
                    refused += 1
                    continue
                if quoted and os.path.dirname(target_path) == os.path.dirname(source):
                    continue  # a folder may always include its own files
                if quoted:
                    edges.setdefault((os.path.dirname(source), os.path.dirname(target_path)),
                                     "%s: %s" % (source, shown))
                rule = decide(rules, source, target_path, target_lib)
                if listing:
                    to = os.path.dirname(target_path) + "/" if quoted else "lib:" + target_lib
                    key = (os.path.dirname(source) + "/", to)
                    verdict = rule.describe() if rule else "refused: no row allows it"
                    listed.setdefault(key, set()).add(verdict)
                if rule is None:
                    print("%s: %s  (no row of the table allows %s -> %s)" %
                          (source, shown, os.path.dirname(source) + "/",
                           target_path if quoted else "lib:" + target_lib))
                    refused += 1
                elif rule.verdict == "deny":
                    print("%s: %s  (%s)" % (source, shown, rule.describe()))
                    refused += 1
    if listing:
        for (source, target), verdicts in sorted(listed.items()):
            for verdict in sorted(verdicts):
                print("%-32s -> %-28s %s" % (source, target, verdict))
    cycles = report_cycles(edges, known_cycles)
    if refused:
        print("ERROR: %d of %d includes break the table of dependencies (tools/deps.txt)" %
              (refused, checked))
    if cycles:
        print("ERROR: %d cycles of includes between folders" % cycles)
    if refused or cycles:
        return 1
    print("%d includes follow the table of dependencies" % checked)
    return 0


if __name__ == "__main__":
    sys.exit(main(sys.argv[1:]))
