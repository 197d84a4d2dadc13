#pragma once

#include "quillmarsh_common_export.h"

#include <QFile>
#include <QString>

#include <memory>

// Writing the program's text files (logs, dumps) while other processes may read or hold them.
// Every failure comes back as a Russian message in ErrString; nothing is shown.
//
// A file opened here carries an exclusive advisory lock (flock) for as long as it stays open, so a
// second writer that asks for the same lock sees the file as busy. Destroying the QFile closes the
// file and drops the lock.

// Opens FileName for writing: appended to when Append, otherwise emptied, but only once it is open
// and locked, so a failed open leaves the old content in place. With Backup (ignored when Append)
// an existing file is first renamed to its backup name; on return Backup tells whether a backup
// copy exists. A busy file is tried again every 3 seconds (100 attempts with Retry, else one),
// processing events in between; RetryOnAnyError retries every other failure as well.
// Result: FileOpened (1) with the open file in File; FileBusy (0) when the backup fails or the
// file stays busy; FileOpenFailed (-3) on any other error (the backup is put back). Both 0 and -3
// are failures.
constexpr qint16 FileOpened = 1;
constexpr qint16 FileBusy = 0;
constexpr qint16 FileOpenFailed = -3;
QUILLMARSH_COMMON_EXPORT qint16 OpenFileForWrite(const QString &FileName,
                                                 std::unique_ptr<QFile> &File,
                                                 QString &ErrString,
                                                 bool Append,
                                                 bool &Backup,
                                                 bool Retry = false,
                                                 bool RetryOnAnyError = false);

// Replaces FileName with Text followed by CR LF (UTF-8). On failure ErrString holds the description.
// The file is overwritten in place and then cut to its new length, not emptied first: emptying
// frees its blocks, which some file systems (ext4 mounted with discard) wait for on every write.
QUILLMARSH_COMMON_EXPORT bool WriteTextFile(const QString &FileName, const QString &Text, QString &ErrString);
// The same with Text already in UTF-8, for a caller that keeps the bytes.
QUILLMARSH_COMMON_EXPORT bool WriteTextFile(const QString &FileName, const QByteArray &Utf8Text, QString &ErrString);
// Creates FileName empty, not even a line end in it, unless it exists (then it is left as it is).
// On failure ErrString holds the description.
QUILLMARSH_COMMON_EXPORT bool CreateEmptyFile(const QString &FileName, QString &ErrString);

// Replaces the bytes of FileName from Offset on with Tail and cuts the file after it, provided the
// file holds exactly OldSize bytes now: a file that keeps a long text and changes only near its
// end is not written whole every time. FilePatch::Stale when the file is missing or holds another
// size (the caller then writes it whole); FilePatch::Failed with the description in ErrString.
enum class FilePatch
{
    Patched,
    Stale,
    Failed
};
QUILLMARSH_COMMON_EXPORT FilePatch
PatchFileTail(const QString &FileName, qint64 OldSize, qint64 Offset, const QByteArray &Tail, QString &ErrString);

// The file name with its extension replaced by "bak" ("qmmain.log" gives "qmmain.bak"), or ".bak"
// appended when the file name has none. A point in a folder name is not an extension.
QUILLMARSH_COMMON_EXPORT QString GetBackupFileName(const QString &FileName);

// Renames FileName to its backup name, replacing an older backup.
QUILLMARSH_COMMON_EXPORT bool MakeBackupFile(const QString &FileName, QString &ErrString);

// Puts the backup back in place of FileName. Never throws; false with the message on any failure.
QUILLMARSH_COMMON_EXPORT bool RestoreBackupFile(const QString &FileName, QString &ErrString);

// Creates every missing folder of Path ("/"-separated; a trailing "/" is allowed). False when a
// folder cannot be made or a part of the path is a file.
QUILLMARSH_COMMON_EXPORT bool MakeDirectoryPath(const QString &Path, QString &ErrText);
