#pragma once

#include <QString>

#include <memory>
#include <vector>

namespace Rollstrake
{
// A keyed list of schema keywords (types, classes, totals): entries in the order of adding,
// found by their keyword without regard to letter case or by their numeric code.
template <class Entry>
class Vocabulary
{
public:
    using Iterator = typename std::vector<std::shared_ptr<Entry>>::const_iterator;

    // Null when the keyword is present already.
    std::shared_ptr<Entry> Add(qint32 Code, const QString &mName)
    {
        if (Item(mName)) {
            return nullptr;
        }
        auto entry = std::make_shared<Entry>(Code, mName);
        m_entries.push_back(entry);
        return entry;
    }

    std::shared_ptr<Entry> Item(const QString &key) const
    {
        for (const auto &entry : m_entries) {
            if (entry->mName().compare(key, Qt::CaseInsensitive) == 0) {
                return entry;
            }
        }
        return nullptr;
    }

    std::shared_ptr<Entry> Item(qint32 code) const
    {
        for (const auto &entry : m_entries) {
            if (entry->Code() == code) {
                return entry;
            }
        }
        return nullptr;
    }

    qint32 Count() const
    {
        return static_cast<qint32>(m_entries.size());
    }

    Iterator begin() const
    {
        return m_entries.begin();
    }

    Iterator end() const
    {
        return m_entries.end();
    }

private:
    std::vector<std::shared_ptr<Entry>> m_entries;
};

// One keyword with its code.
class VocabularyEntry
{
public:
    VocabularyEntry(qint32 code, const QString &name)
        : m_code(code)
        , m_name(name)
    {
    }

    virtual ~VocabularyEntry() = default;

    qint32 Code() const
    {
        return m_code;
    }

    void SetCode(qint32 code)
    {
        m_code = code;
    }

    const QString &mName() const
    {
        return m_name;
    }

    void SetmName(const QString &name)
    {
        m_name = name;
    }

private:
    qint32 m_code;
    QString m_name;
};
} // namespace Rollstrake
