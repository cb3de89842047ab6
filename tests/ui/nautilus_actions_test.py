#!/usr/bin/env python3
# SPDX-License-Identifier: GPL-3.0-or-later
# The right-click actions of GNOME Files (dist/linux/file-managers/quarnix_nautilus.py)
# against Nautilus's own extension interface: offered on one local regular file
# only, and each runs `quarnix --encrypt FILE` or `quarnix --decrypt FILE` with
# the path as one argument, whatever it holds. Exits 77 (skipped) without
# PyGObject or Nautilus's typelib.
#   nautilus_actions_test.py EXTENSION

import os
import runpy
import sys
import tempfile
import time

try:
    import gi

    gi.require_version("Nautilus", "4.0")
    from gi.repository import Gio, Nautilus  # noqa: F401
except (ImportError, ValueError) as missing:
    print(f"Nautilus's extension interface is not installed: skipped ({missing})")
    sys.exit(77)


class Selected:
    """What Nautilus hands an extension for one selected item."""

    def __init__(self, path, kind, scheme="file"):
        self.path, self.kind, self.scheme = path, kind, scheme

    def get_uri_scheme(self):
        return self.scheme

    def get_file_type(self):
        return self.kind

    def get_location(self):
        return Gio.File.new_for_path(self.path)


def main():
    menu = runpy.run_path(sys.argv[1], run_name="quarnix_nautilus")["QuarnixActions"]()

    with tempfile.TemporaryDirectory() as folder:
        # A stand-in quarnix that writes down its arguments, one per line.
        record = os.path.join(folder, "arguments")
        program = os.path.join(folder, "quarnix")
        with open(program, "w", encoding="utf-8") as script:
            script.write(f'#!/bin/sh\nprintf "%s\\n" "$@" >> "{record}"\n')
        os.chmod(program, 0o755)
        os.environ["PATH"] = folder + os.pathsep + os.environ["PATH"]

        path = os.path.join(folder, "季度 报告 $HOME '\"(秘密).doc")
        regular = Selected(path, Gio.FileType.REGULAR)
        cases = [
            ("one regular file", [regular], ["用 Quarnix 加密", "用 Quarnix 解密"]),
            ("a folder", [Selected(folder, Gio.FileType.DIRECTORY)], []),
            ("a device", [Selected("/dev/null", Gio.FileType.SPECIAL)], []),
            ("a remote file", [Selected(path, Gio.FileType.REGULAR, "sftp")], []),
            ("two files", [regular, regular], []),
        ]
        for name, selection, labels in cases:
            items = menu.get_file_items(selection)
            shown = [item.props.label for item in items]
            assert shown == labels, f"{name}: {shown}"

        for item in menu.get_file_items([regular]):
            item.activate()
        # The two runs may end in either order; each writes its two lines at once.
        expected = [("--decrypt", path), ("--encrypt", path)]
        lines = []
        for _ in range(100):
            if os.path.exists(record):
                with open(record, encoding="utf-8") as written:
                    lines = written.read().splitlines()
                if len(lines) >= 4:
                    break
            time.sleep(0.05)
        runs = sorted(zip(lines[0::2], lines[1::2]))
        assert runs == expected, f"ran with {lines}"
    print("ok")


if __name__ == "__main__":
    main()
