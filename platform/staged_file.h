#pragma once

#include <QString>

namespace tandemo {

/// A new file that another writer (the video engine) fills in a private folder made beside the
/// file's destination, and that is put in place only once it is whole. The writer never sees the
/// destination's name, so a link planted there cannot send it elsewhere; the file is linked into
/// place without replacing anything; and whatever happens, the private folder and a file that
/// was not placed are removed again: when this goes, or when the process ends at once
/// (removeAllStagedNow()).
class StagedFile {
public:
    /// Makes the private folder in `folder`, where the file will be called `name` (its writer may
    /// read the file's kind from it); isValid() tells whether the folder could be made.
    StagedFile(const QString& folder, const QString& name);
    ~StagedFile();
    StagedFile(const StagedFile&) = delete;
    StagedFile& operator=(const StagedFile&) = delete;

    bool isValid() const { return !m_folder.isEmpty(); }
    /// Where the writer writes the file.
    QString path() const;
    /// Writes the staged file through to the disk and gives it the name `destination` (in the
    /// folder given at construction), never over anything that is there, or, `replacing`, over
    /// the file at that name (a link there is replaced itself, never followed). False when the
    /// file is missing or cannot be written through, or the name is taken (errno tells why);
    /// the file is then removed.
    bool placeAs(const QString& destination, bool replacing = false);

private:
    QString m_folder;
    QString m_name;
    int m_slot = -1;
};

/// Removes every staged file and its folder that is still there, at once and without taking a
/// lock: safe in a signal handler and just before the process ends without unwinding.
void removeAllStagedNow();

} // namespace tandemo
