# SPDX-License-Identifier: GPL-3.0-or-later
# GNOME Files (Nautilus) with its Python extensions (package python3-nautilus):
# "用 Quarnix 加密" and "用 Quarnix 解密" in the right-click menu of one local
# regular file. Each opens Quarnix with the file chosen and the task set.

from gi.repository import Gio, GObject, Nautilus

TASKS = (("encrypt", "用 Quarnix 加密"), ("decrypt", "用 Quarnix 解密"))


def _local_regular_file(item):
    if item.get_uri_scheme() != "file" or item.get_file_type() != Gio.FileType.REGULAR:
        return None
    return item.get_location().get_path()


class QuarnixActions(GObject.GObject, Nautilus.MenuProvider):
    # Nautilus 43 and later pass the selection alone; older ones the window first.
    def get_file_items(self, *arguments):
        files = arguments[-1]
        if len(files) != 1:
            return []
        path = _local_regular_file(files[0])
        if path is None:
            return []
        items = []
        for task, label in TASKS:
            item = Nautilus.MenuItem(name="Quarnix::" + task, label=label,
                                     icon="org.example.quarnix")
            item.connect("activate", self._open, task, path)
            items.append(item)
        return items

    @staticmethod
    def _open(_item, task, path):
        Gio.Subprocess.new(["quarnix", "--" + task, path], Gio.SubprocessFlags.NONE)
