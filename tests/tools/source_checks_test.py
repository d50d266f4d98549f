#!/usr/bin/env python3
"""tools/file-names-check and tools/include-graph over small trees of their
own: each planted use or include, alone in an otherwise clean tree, fails
its check with its file and line, and what lies outside the checked code
does not."""
import os, subprocess, sys, tempfile, unittest

TOOLS = os.path.join(os.path.dirname(os.path.dirname(os.path.dirname(os.path.abspath(__file__)))), 'tools')


def write(root, files):
    for path, text in files.items():
        full = os.path.join(root, path)
        os.makedirs(os.path.dirname(full), exist_ok=True)
        with open(full, 'w', encoding='utf-8') as f:
            f.write(text)


def run(command, cwd):
    result = subprocess.run(command, cwd=cwd, capture_output=True, text=True)
    return result.returncode, result.stdout + result.stderr


class FileNamesCheck(unittest.TestCase):
    CLEAN = {
        'compiler/Core.cpp': 'int Core() { return 1; }\n',
        'platform/FileNames.cpp': '#include <cstdio>\nFILE* Door(const char* p) { return fopen(p, "r"); }\n',
        # Outside the program's code: fixtures, benchmarks, scripts, a build tree.
        'tests/a/Fixture.cpp': 'void F(const char* p) { ::unlink(p); }\n',
        'bench/Bench.cpp': 'void B() { QFile f("x"); }\n',
        'tools/Tool.cpp': 'void T(const char* p) { fopen(p, "r"); }\n',
        'examples/Example.cpp': 'void E(const char* p) { fopen(p, "r"); }\n',
        'resources/Resource.cpp': 'void R(const char* p) { fopen(p, "r"); }\n',
        'out/CMakeCache.txt': '',
        'out/moc_X.cpp': 'void M() { QFile f("x"); }\n',
        'ide/link/out/CMakeCache.txt': '',
        'ide/link/out/moc_Y.cpp': 'void M() { QFile f("x"); }\n',
        '.hidden/Hidden.cpp': 'void H(const char* p) { fopen(p, "r"); }\n',
    }
    # (file, text, the file:line the check names)
    PLANTS = [
        ('keycodes/Keys.cpp', '#include <cstdio>\nvoid K(const char* p) { fopen(p, "r"); }\n', 'keycodes/Keys.cpp:2'),
        ('newlib/deep/er/Part.cc', '\n\nint P(const char* p) { return ::open(p, 0); }\n', 'newlib/deep/er/Part.cc:3'),
        ('ide/protocol/Header.hpp', 'inline bool H() { return QFileInfo("a").isFile(); }\n',
         'ide/protocol/Header.hpp:1'),
        ('ide/protocol/detail/Table.def', 'X(1)\n#define READ(p) ::stat(p, nullptr)\n', 'ide/protocol/detail/Table.def:2'),
        ('widgets/W.hxx', 'bool A(int access) { return access; }\nbool B(const char* p) { return access(p, 4); }\n',
         'widgets/W.hxx:2'),
        ('compiler/Fs.cpp', 'using namespace std;\nbool E(const char* p) {\n    return filesystem::exists(p);\n}\n',
         'compiler/Fs.cpp:3'),
    ]

    def check(self, extra):
        with tempfile.TemporaryDirectory() as root:
            write(root, {**self.CLEAN, **extra})
            return run([os.path.join(TOOLS, 'file-names-check'), '--root', root], root)

    def test_clean_tree_passes(self):
        code, out = self.check({})
        self.assertEqual(code, 0, out)
        self.assertIn('(compiler/, ide/, platform/)', out)

    def test_each_plant_fails_with_its_line(self):
        for path, text, where in self.PLANTS:
            with self.subTest(path):
                code, out = self.check({path: text})
                self.assertEqual(code, 1, out)
                named = [line.strip().split(': ')[0] for line in out.splitlines() if line.startswith('  ')]
                self.assertEqual(named, [where], out)


class IncludeGraph(unittest.TestCase):
    CLEAN = {
        'ide/CMakeLists.txt': 'quarvel_layer(protocol)\nquarvel_layer(motion protocol)\n',
        'ide/main.cpp': '#include "motion/Moves.h"\n',
        'ide/protocol/Link.h': '#pragma once\n',
        'ide/protocol/detail/Frame.h': '#pragma once\n#include "protocol/Link.h"\n',
        'ide/motion/Moves.h': '#pragma once\n#include "protocol/Link.h"\n#include "protocol/detail/Frame.h"\n',
    }
    # (file, text, the lines the check prints for it)
    PLANTS = [
        ('ide/protocol/detail/Up.h', '#pragma once\n#include "../../motion/Moves.h"\n',
         ['protocol -> motion: ide/protocol/detail/Up.h:2', 'ide/protocol/detail/Up.h:2: #include "../../motion/Moves.h"']),
        ('ide/protocol/Up.hpp', '#pragma once\n\n#include "motion/Moves.h"\n', ['protocol -> motion: ide/protocol/Up.hpp:3']),
        ('ide/protocol/a/b/c/Up.cc', '#include <motion/Moves.h>\n', ['protocol -> motion: ide/protocol/a/b/c/Up.cc:1']),
        ('ide/protocol/Near.hh', '#include "../motion/Moves.h"\n',
         ['protocol -> motion: ide/protocol/Near.hh:1', 'ide/protocol/Near.hh:1: #include "../motion/Moves.h"']),
    ]

    def check(self, extra):
        with tempfile.TemporaryDirectory() as root:
            write(root, {**self.CLEAN, **extra})
            code, out = run(['git', 'init', '-q'], root)
            self.assertEqual(code, 0, out)
            return run([os.path.join(TOOLS, 'include-graph')], root)

    def test_clean_tree_passes(self):
        code, out = self.check({})
        self.assertEqual(code, 0, out)
        self.assertIn('motion     -> protocol     2', out)

    def test_each_plant_fails_with_its_line(self):
        for path, text, lines in self.PLANTS:
            with self.subTest(path):
                code, out = self.check({path: text})
                self.assertEqual(code, 1, out)
                for line in lines:
                    self.assertIn('  ' + line + '\n', out)


if __name__ == '__main__':
    sys.exit(unittest.main(verbosity=2))
