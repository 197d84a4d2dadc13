#pragma once

#include <QList>
#include <QString>
#include <QStringList>

#include <memory>

// One entry of a computer-selection grid: the computer's number and whether it may be and is selected.
class CompButton final
{
public:
    CompButton(qint32 ComputerNum, bool Enabled, bool Selected);

    qint32 ComputerNum() const;
    void SetComputerNum(qint32 Value);
    bool Enabled() const;
    void SetEnabled(bool Value);
    bool Selected() const;
    void SetSelected(bool Value);

private:
    qint32 m_computerNum;
    bool m_enabled;
    bool m_selected;
};

// The selection entries of a set of computers, in the order of adding, each under the key
// MakeItemKey(ComputerNum), so that a computer number occurs at most once.
class CompButtons final
{
public:
    using Entries = QList<std::shared_ptr<CompButton>>;

    // The new entry, or none when the number is already present.
    std::shared_ptr<CompButton> Add(qint32 ComputerNum, bool Enabled, bool Selected);
    // By 1-based position; none when out of range.
    std::shared_ptr<CompButton> Item(qsizetype Index) const;
    // By key ("C" and the number); none when absent.
    std::shared_ptr<CompButton> Item(const QString &Key) const;
    qsizetype Count() const;
    // A position or key that is not present is ignored.
    void Remove(qsizetype Index);
    void Remove(const QString &Key);

    Entries::const_iterator begin() const;
    Entries::const_iterator end() const;

private:
    qsizetype IndexOfKey(const QString &Key) const;

    Entries m_entries;
    // The key each entry was added under, at the same position.
    QStringList m_keys;
};
