#pragma once

#include "currency.h"
#include "quillmarsh_common_export.h"

#include <QDateTime>
#include <QString>

// Day boundaries, time-of-day arithmetic, rounding sums up and the "C<number>" keys of collections.
// A null date-time where a date is needed counts as the zero date (30/12/1899).

// The date of DateValue at 00:00:00, or at 23:59:59 with EndOfDay; null for null.
QUILLMARSH_COMMON_EXPORT QDateTime GetDayBound(const QDateTime &DateValue, bool EndOfDay);

// The date of DateSource with the time of day of TimeSource; null when TimeSource is null.
QUILLMARSH_COMMON_EXPORT QDateTime SetTimeOnDate(const QDateTime &TimeSource, const QDateTime &DateSource);

// What CompareDates compares.
enum CompareMode : quint8
{
    cmpDateOnly = 1,
    cmpTimeOnly = 2,
    cmpWhole = 3,
};

// 0 when equal, 1 when A is earlier, 2 when A is later; 0 for an unknown mode.
QUILLMARSH_COMMON_EXPORT qint32 CompareDates(const QDateTime &A, const QDateTime &B, quint8 Mode);

// Value rounded up (toward plus infinity) to Decimals decimals: 12.01 with 0 gives 13, -1.5 gives
// -1, 1234 with -1 gives 1240. Decimals is taken within -4 to 4 (a currency has four decimals).
QUILLMARSH_COMMON_EXPORT Currency RoundUpSum(Currency Value, qint32 Decimals);

// Base multiplied by itself |Exponent| times, every step kept to four decimals; 1 divided by that
// for a negative Exponent; 1 for 0. Saturates at the currency's limits.
QUILLMARSH_COMMON_EXPORT Currency CyPower(Currency Base, qint32 Exponent);

// 10 to the Exponent as a currency would hold it: 0.0001 at -4, 0 below.
QUILLMARSH_COMMON_EXPORT double PowerOfTen(qint32 Exponent);

// "C" followed by the number ("C12", "C-3"): the key of computer buttons, tree nodes, list items
// and per-connection logs.
QUILLMARSH_COMMON_EXPORT QString MakeItemKey(qint32 Number);

// The number of a key made by MakeItemKey, read from its second character on (leading-number rule).
QUILLMARSH_COMMON_EXPORT qint32 GetKeyNum(const QString &Key);

// The member of a map-like collection (std::map, QMap, QHash, ...) stored under Key, or an empty
// value (a null pointer for collections of pointers) when there is none.
template <typename Collection>
typename Collection::mapped_type GetCollectionItem(const Collection &Items, const typename Collection::key_type &Key)
{
    const auto found = Items.find(Key);
    if (found == Items.end()) {
        return {};
    }
    if constexpr (requires { found.value(); }) {
        return found.value();
    } else {
        return found->second;
    }
}
