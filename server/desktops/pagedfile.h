#pragma once

#include "desktops/filebytes.h"

#include <QByteArray>
#include <QFile>
#include <QHash>
#include <QString>

#include <utility>

// A program's or icon file's bytes copied from disk as the reader asks for them: small ranges in
// pages that later reads share, larger ones whole, MaxCopyBytes in all. The file is never mapped: a
// program copied over while its icon is read (cp truncates first) gives a missing range and
// ErrorString, where a mapping would raise SIGBUS and end the server.
class PagedFile final : public FileBytes
{
public:
    static constexpr qint64 PageBytes = 16 * 1024;
    // Headers, a section table of 65,535 entries, three full resource directories, an icon group
    // and its images fit with room to spare; more is a crafted file.
    static constexpr qint64 MaxCopyBytes = 32 * 1024 * 1024;

    explicit PagedFile(const QString &Path);

    // Opens the file and takes its size; False with the reason in ErrString.
    bool Open(QString &ErrString);
    qint64 Size() const override;
    std::optional<QByteArrayView> View(qint64 Offset, qint64 Length) override;

    // Why a range inside the size taken at Open could not be copied; empty while every read held.
    QString ErrorString() const;

private:
    std::optional<QByteArray> Copy(qint64 Offset, qint64 Length);

    QFile m_file;
    qint64 m_size = 0;
    qint64 m_copied = 0;
    QHash<qint64, QByteArray> m_pages;
    QHash<std::pair<qint64, qint64>, QByteArray> m_ranges;
    QString m_error;
};
