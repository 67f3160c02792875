// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QString>

namespace tools {

// A temporary file or folder that a front-end writes beside its final file,
// named ".trvx-tmp-XXXXXX<suffix>". While the front-end runs it holds an
// exclusive lock on it; a temporary that nobody holds was left by a run that
// was killed, and the next run in that folder removes it
// (removeAbandonedTemporaries).
class LockedTemporary
{
public:
    enum class Kind { File, Folder };

    LockedTemporary() = default;
    ~LockedTemporary();
    LockedTemporary(const LockedTemporary &) = delete;
    LockedTemporary &operator=(const LockedTemporary &) = delete;

    // Creates it in folder; false (with error()) when that fails.
    bool create(const QString &folder, Kind kind, const QString &suffix = {});

    QString path() const { return m_path; }
    QString error() const { return m_error; }
    int descriptor() const { return m_fd; }

    // Gives the file mode bits (file only), flushes it to the disk and
    // renames it to target, then flushes the folder. After success the
    // object no longer owns anything.
    bool commitFile(const QString &target, unsigned mode);

    // Removes the temporary (and everything in a folder).
    void remove();

private:
    QString m_path;
    QString m_error;
    Kind m_kind = Kind::File;
    int m_fd = -1;
};

// Removes temporaries left in folder by runs that were killed.
void removeAbandonedTemporaries(const QString &folder);

// Flushes a folder's entries (after a rename into it).
bool syncFolder(const QString &folder);

// The mode bits a new file gets under the current umask (0666 & ~umask).
unsigned newFileMode();

} // namespace tools
