#pragma once

namespace Rollstrake
{
// Field classes of the schema: a column of its own, a foreign key, or a computed lookup.
enum enFieldClass
{
    fcNormal = 1,
    fcForeignKey = 2,
    fcLookupTable = 3,
    fcLookupTableTotal = 4,
};

enum enFieldType
{
    ftINT = 0,
    ftVARCHAR = 1,
    ftDOUBLE = 2,
    ftDATETIME = 3,
    ftDATE = 4,
};

enum enFieldTotal
{
    fttNone = 0,
    fttSum = 1,
};

// Comparisons of filter slots.
enum enCondition
{
    cEqual = 0,
    cLess = 1,
    cMore = 2,
    cNotEqual = 3,
    cLessOrEqual = 4,
    cMoreOrEqual = 5,
    cBetween = 6,
    cLeftLike = 7,
    cRightLike = 8,
    cLike = 9,
};
} // namespace Rollstrake
