// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Which types of the shared MIME database (freedesktop.org shared-mime-info)
// have content rules ("magic"), and how far into a file those rules look.
// Read from the database's compiled "mime/magic" files, the ones
// QMimeDatabase itself matches data against.

#include <QHash>
#include <QString>
#include <cstdint>
#include <optional>

namespace quarnix {

class MagicReach {
  public:
    // The installed database, read once per process. Thread-safe.
    static const MagicReach& Installed();

    // Reads one compiled magic file's content. A file that does not start
    // like one adds nothing. Reading stops at a line that cannot be read; the
    // types before it are kept, and the type of that line is given a reach
    // no preview holds.
    void Add(const QByteArray& magicFile);

    // The number of leading bytes all content rules of `type` (a canonical
    // type name) look at together; nullopt when the type has none.
    std::optional<std::uint64_t> Reach(const QString& type) const;

  private:
    QHash<QString, std::uint64_t> reach_;
};

}  // namespace quarnix
