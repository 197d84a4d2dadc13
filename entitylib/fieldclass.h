#pragma once

#include "vocabulary.h"

namespace Rollstrake
{
// A field class keyword (enFieldClass).
class FieldClass : public VocabularyEntry
{
public:
    using VocabularyEntry::VocabularyEntry;
};

// NORMAL, FOREIGNKEY, LOOKUPTABLE, LOOKUPTABLETOTAL; one shared instance.
class FieldClasses : public Vocabulary<FieldClass>
{
public:
    static const FieldClasses &Instance();
};

// A totalling keyword (enFieldTotal).
class FieldTotal : public VocabularyEntry
{
public:
    using VocabularyEntry::VocabularyEntry;
};

// NONE, SUM; one shared instance.
class FieldTotals : public Vocabulary<FieldTotal>
{
public:
    static const FieldTotals &Instance();
};
} // namespace Rollstrake
