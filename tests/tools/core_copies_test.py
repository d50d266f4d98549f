#!/usr/bin/env python3
"""tools/core-copies over a small build tree of its own: a core archive, a
libqvv2.so that holds it whole and exports part of it, and programs that
load the library and link the archive after it.  A program that calls only
exported core functions passes; one that calls an unexported one, itself or
through a library of the tree, holds a copy of that object file and fails
with the object, the binary, the function and the calling line; so does a
program that reaches libqvv2.so only through a library."""
import os, shutil, subprocess, sys, tempfile, unittest

TOOL = os.path.join(os.path.dirname(os.path.dirname(os.path.dirname(os.path.abspath(__file__)))), 'tools',
                    'core-copies')
CXX = os.environ.get('CXX') or shutil.which('c++') or 'g++'
EXPORT = '__attribute__((visibility("default")))'

CORE = {
    'Words.cpp': f'{EXPORT} int Exported() {{ return 1; }}\n',
    'Page.cpp': (f'static int g_page = 1252;\n'
                 f'{EXPORT} void SetPage(int page) {{ g_page = page; }}\n'
                 f'{EXPORT} int Page() {{ return g_page; }}\n'
                 'int Hidden() { return g_page + 1; }\n'),
}


def sh(*command, cwd):
    result = subprocess.run(command, cwd=cwd, capture_output=True, text=True)
    if result.returncode != 0:
        raise AssertionError(' '.join(command) + '\n' + result.stdout + result.stderr)


class CoreCopies(unittest.TestCase):
    def tree(self, programs, libraries=None):
        """A build tree in a new folder: the core, libqvv2.so, and each of
        `libraries` ({name: source}, a shared library loading libqvv2.so)
        and `programs` ({name: (source, [libraries])}) in bin/."""
        root = tempfile.mkdtemp()
        self.addCleanup(shutil.rmtree, root)
        for folder in ('core', 'bin', 'src'):
            os.makedirs(os.path.join(root, folder))
        flags = ['-g', '-O1', '-fPIC', '-fvisibility=hidden']
        objects = []
        for name, text in CORE.items():
            with open(os.path.join(root, 'src', name), 'w') as f:
                f.write(text)
            objects.append(os.path.join(root, 'core', name + '.o'))
            sh(CXX, *flags, '-c', os.path.join(root, 'src', name), '-o', objects[-1], cwd=root)
        archive = os.path.join(root, 'core', 'libcore.a')
        sh('ar', 'rcs', archive, *objects, cwd=root)
        library = os.path.join(root, 'bin', 'libqvv2.so')
        sh(CXX, '-shared', '-Wl,-soname,libqvv2.so.2', '-o', library, '-Wl,--whole-archive', archive,
           '-Wl,--no-whole-archive', cwd=root)
        os.symlink('libqvv2.so', os.path.join(root, 'bin', 'libqvv2.so.2'))
        link = ['-L', os.path.join(root, 'bin'), '-Wl,-rpath,' + os.path.join(root, 'bin')]
        for name, text in (libraries or {}).items():
            source = os.path.join(root, 'src', name + '.cpp')
            with open(source, 'w') as f:
                f.write(text)
            sh(CXX, *flags, '-c', source, '-o', source + '.o', cwd=root)
            sh(CXX, '-shared', f'-Wl,-soname,lib{name}.so', source + '.o', '-o',
               os.path.join(root, 'bin', f'lib{name}.so'), *link, '-lqvv2', archive, cwd=root)
        for name, (text, libs) in programs.items():
            source = os.path.join(root, 'src', name + '.cpp')
            with open(source, 'w') as f:
                f.write(text)
            sh(CXX, '-g', '-O1', '-c', source, '-o', source + '.o', cwd=root)
            sh(CXX, source + '.o', '-o', os.path.join(root, 'bin', name), *link,
               *['-l' + lib for lib in libs], archive, cwd=root)
        return root, archive, library

    def check(self, tree):
        root, archive, library = tree
        result = subprocess.run([TOOL, root, archive, library], capture_output=True, text=True)
        return result.returncode, result.stdout + result.stderr, root

    def test_exported_calls_make_no_copy(self):
        code, out, _ = self.check(self.tree({
            'program': ('int Exported(); int Page();\nint main() { return Exported() + Page(); }\n', ['qvv2']),
        }))
        self.assertEqual(code, 0, out)
        self.assertIn('none; 1 programs and libraries run beside libqvv2.so.2', out)

    def test_each_copy_is_named_with_its_binary_and_calling_line(self):
        cases = [
            # (what makes a copy, programs, libraries, the lines of the report)
            ('a program calling an unexported function', {
                'good': ('int Exported();\nint main() { return Exported(); }\n', ['qvv2']),
                'bad': ('int Exported(); int Hidden();\n\nint main() {\n  return Exported() + Hidden();\n}\n',
                        ['qvv2']),
            }, None, ['Page.cpp.o (3 of its functions and data) is copied into bin/bad', 'Hidden() is not exported from libqvv2.so.2; '
                      'called at {root}/src/bad.cpp:4']),
            ('a library that loads libqvv2.so calling it', {
                'user': ('int Exported(); int Near();\nint main() { return Exported() + Near(); }\n',
                         ['qvv2', 'near']),
            }, {'near': f'int Exported(); int Hidden();\n{EXPORT} int Near() {{ return Exported() + Hidden(); }}\n'},
             ['Page.cpp.o (3 of its functions and data) is copied into bin/libnear.so',
              'Hidden() is not exported from libqvv2.so.2; called at {root}/src/near.cpp:2']),
            ('a library beside libqvv2.so calling it', {
                'user': ('int Exported(); int Near();\nint main() { return Exported() + Near(); }\n',
                         ['qvv2', 'near']),
            }, {'near': f'int Hidden();\n\n{EXPORT} int Near() {{ return Hidden(); }}\n'},
             ['Page.cpp.o (3 of its functions and data) is copied into bin/libnear.so',
              'Hidden() is not exported from libqvv2.so.2; called at {root}/src/near.cpp:3']),
            # The program reaches libqvv2.so only through a library, so the
            # linker leaves libqvv2.so out of the program and takes the
            # library's calls of exported functions from the archive.
            ('a program that loads libqvv2.so only through a library', {
                'user': ('int Near();\nint main() { return Near(); }\n', ['near', 'qvv2']),
            }, {'near': f'int Exported();\n{EXPORT} int Near() {{ return Exported(); }}\n'},
             ['Words.cpp.o (1 of its functions and data) is copied into bin/user']),
        ]
        for what, programs, libraries, report in cases:
            with self.subTest(what):
                code, out, root = self.check(self.tree(programs, libraries))
                self.assertEqual(code, 1, out)
                shown = os.path.relpath(root, os.path.dirname(os.path.dirname(TOOL)))
                lines = [line.strip() for line in out.splitlines()[1:]]
                self.assertEqual(lines, [line.format(root=shown) for line in report], out)

    def test_a_tree_without_users_fails(self):
        code, out, _ = self.check(self.tree({'alone': ('int main() { return 0; }\n', [])}))
        self.assertEqual(code, 1, out)
        self.assertIn('no program or library', out)


if __name__ == '__main__':
    sys.exit(unittest.main(verbosity=2))
