#include "core/compbuttons.h"

#include "generalhelpers.h"

CompButton::CompButton(qint32 ComputerNum, bool Enabled, bool Selected)
    : m_computerNum(ComputerNum)
    , m_enabled(Enabled)
    , m_selected(Selected)
{
}

qint32 CompButton::ComputerNum() const
{
    return m_computerNum;
}

void CompButton::SetComputerNum(qint32 Value)
{
    m_computerNum = Value;
}

bool CompButton::Enabled() const
{
    return m_enabled;
}

void CompButton::SetEnabled(bool Value)
{
    m_enabled = Value;
}

bool CompButton::Selected() const
{
    return m_selected;
}

void CompButton::SetSelected(bool Value)
{
    m_selected = Value;
}

std::shared_ptr<CompButton> CompButtons::Add(qint32 ComputerNum, bool Enabled, bool Selected)
{
    if (IndexOfKey(MakeItemKey(ComputerNum)) >= 0) {
        return {};
    }
    auto entry = std::make_shared<CompButton>(ComputerNum, Enabled, Selected);
    m_entries.append(entry);
    m_keys.append(MakeItemKey(ComputerNum));
    return entry;
}

std::shared_ptr<CompButton> CompButtons::Item(qsizetype Index) const
{
    if (Index < 1 || Index > m_entries.size()) {
        return {};
    }
    return m_entries.at(Index - 1);
}

std::shared_ptr<CompButton> CompButtons::Item(const QString &Key) const
{
    const qsizetype index = IndexOfKey(Key);
    return index < 0 ? nullptr : m_entries.at(index);
}

qsizetype CompButtons::Count() const
{
    return m_entries.size();
}

void CompButtons::Remove(qsizetype Index)
{
    if (Index >= 1 && Index <= m_entries.size()) {
        m_entries.removeAt(Index - 1);
        m_keys.removeAt(Index - 1);
    }
}

void CompButtons::Remove(const QString &Key)
{
    Remove(IndexOfKey(Key) + 1);
}

CompButtons::Entries::const_iterator CompButtons::begin() const
{
    return m_entries.cbegin();
}

CompButtons::Entries::const_iterator CompButtons::end() const
{
    return m_entries.cend();
}

qsizetype CompButtons::IndexOfKey(const QString &Key) const
{
    // Keys are compared without regard to case, as keyed collections of the program do.
    for (qsizetype i = 0; i < m_keys.size(); ++i) {
        if (m_keys.at(i).compare(Key, Qt::CaseInsensitive) == 0) {
            return i;
        }
    }
    return -1;
}
