#include "desktops/pagedfile.h"

PagedFile::PagedFile(const QString &Path)
    : m_file(Path)
{
}

bool PagedFile::Open(QString &ErrString)
{
    // Unbuffered: each copy is one read of exactly the bytes asked for.
    if (!m_file.open(QIODevice::ReadOnly | QIODevice::Unbuffered)) {
        ErrString = m_file.errorString();
        return false;
    }
    m_size = m_file.size();
    return true;
}

qint64 PagedFile::Size() const
{
    return m_size;
}

std::optional<QByteArrayView> PagedFile::View(qint64 Offset, qint64 Length)
{
    if (Offset < 0 || Length < 0 || Offset > m_size || Length > m_size - Offset) {
        return std::nullopt;
    }
    const qint64 page = Offset / PageBytes;
    const qint64 pageStart = page * PageBytes;
    if (Offset + Length <= pageStart + PageBytes) {
        auto found = m_pages.constFind(page);
        if (found == m_pages.constEnd()) {
            const auto bytes = Copy(pageStart, qMin(PageBytes, m_size - pageStart));
            if (!bytes) {
                return std::nullopt;
            }
            found = m_pages.insert(page, *bytes);
        }
        return QByteArrayView(*found).sliced(Offset - pageStart, Length);
    }
    const std::pair<qint64, qint64> key(Offset, Length);
    auto found = m_ranges.constFind(key);
    if (found == m_ranges.constEnd()) {
        const auto bytes = Copy(Offset, Length);
        if (!bytes) {
            return std::nullopt;
        }
        found = m_ranges.insert(key, *bytes);
    }
    return QByteArrayView(*found);
}

QString PagedFile::ErrorString() const
{
    return m_error;
}

std::optional<QByteArray> PagedFile::Copy(qint64 Offset, qint64 Length)
{
    if (Length > MaxCopyBytes - m_copied) {
        m_error = QStringLiteral("файл требует прочитать больше %1 МиБ").arg(MaxCopyBytes / (1024 * 1024));
        return std::nullopt;
    }
    QByteArray bytes(Length, Qt::Uninitialized);
    if (!m_file.seek(Offset) || m_file.read(bytes.data(), Length) != Length) {
        m_error = QStringLiteral("файл изменился во время чтения");
        return std::nullopt;
    }
    m_copied += Length;
    return bytes;
}
