#pragma once

#include "rollstrake_export.h"

#include <QByteArray>
#include <QString>
#include <QStringList>

#include <memory>

namespace Rollstrake
{
class Tables;
class Table;
class Field;
class DBRecord;

// Reads the schema-description file: {TABLE}, {FIELD} and {VALUE} blocks of {KEY=value} lines.
namespace SchemaReader
{
// One line's key (upper-cased) and value: "Begin" for {KEY}, "End" for {/KEY}, empty key for a
// line that is no key line.
struct StructLine
{
    QString Key;
    QString Value;
};

ROLLSTRAKE_TESTS_EXPORT StructLine ParseStructLine(const QString &line);
ROLLSTRAKE_TESTS_EXPORT QString GetUnexpectedKeyMessage(qint32 n);

// Adds the file's tables to tables; false with the message (the line number of every fault) in
// ErrString.
ROLLSTRAKE_TESTS_EXPORT bool LoadDBStructFile(Tables &tables, const QString &DBStructFile, QString &ErrString);
// The same over the file's bytes: UTF-8 when they are valid UTF-8, otherwise Windows-1251 or code
// page 866. False with an empty ErrString when they hold no line at all.
ROLLSTRAKE_TESTS_EXPORT bool ParseStructBytes(Tables &tables, const QByteArray &bytes, QString &ErrString);
// The same over lines already read (without blank lines). Texts are taken as Unicode when
// unicodeText, otherwise as Windows-1251 or code page 866 bytes held one per character.
ROLLSTRAKE_TESTS_EXPORT bool
ParseStructFile(Tables &tables, const QStringList &lines, bool unicodeText, QString &ErrString);
} // namespace SchemaReader
} // namespace Rollstrake
