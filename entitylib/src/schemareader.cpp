#include "schemareader.h"

#include "codepage.h"
#include "entitylib.h"
#include "leadingnumber.h"
#include "texthelpers.h"
#include "warninglog.h"

#include <QFile>
#include <QScopeGuard>

namespace Rollstrake::SchemaReader
{
namespace
{
// The length of a VARCHAR field whose description gives none.
constexpr qint32 DefaultVarcharLength = 100;
const QString Begin = QStringLiteral("Begin");
const QString End = QStringLiteral("End");

QString LineNumber(qint32 n)
{
    return QString::number(n);
}

QString BadValueMessage(const QString &value, qint32 n)
{
    return QStringLiteral("Недопустимое значение поля '") + value
           + QStringLiteral("' в строке файла описания структуры №") + LineNumber(n) + QLatin1Char('!');
}

QString EndOfFileMessage()
{
    return QStringLiteral("Неожиданный конец файла описания структуры!");
}

// Names of tables and fields go into statements as they stand: only a plain identifier (letters,
// digits and "_", not starting with a digit) can, or a name could carry a statement of its own.
bool IsPlainIdentifier(const QString &name)
{
    if (name.isEmpty() || (name.at(0) >= QLatin1Char('0') && name.at(0) <= QLatin1Char('9'))) {
        return false;
    }
    for (const QChar ch : name) {
        const bool digit = ch >= QLatin1Char('0') && ch <= QLatin1Char('9');
        if (!digit && ch != QLatin1Char('_') && !ch.isLetter()) {
            return false;
        }
    }
    return true;
}

// The line's name, or false with the message when it is not a plain identifier; an empty name is
// left to the check at the end of its block.
bool CheckName(const QString &name, bool table, qint32 n, QString &err)
{
    if (name.isEmpty() || IsPlainIdentifier(name)) {
        return true;
    }
    err = (table ? QStringLiteral("Недопустимое имя таблицы '") : QStringLiteral("Недопустимое имя поля '")) + name
          + QStringLiteral("' в строке файла описания структуры №") + LineNumber(n) + QLatin1Char('!');
    return false;
}

// "True" and the bare {KEY} mean True, "False" means False; anything else is refused.
bool ParseBoolean(const QString &value, bool &result)
{
    if (value == QLatin1String("True") || value == Begin) {
        result = true;
        return true;
    }
    if (value == QLatin1String("False")) {
        result = false;
        return true;
    }
    return false;
}
} // namespace

// Reads the lines of a schema-description file into tables; a friend of the library classes it fills.
class Parser
{
public:
    Parser(Tables &tables, const QStringList &lines, bool unicodeText, QString &errString)
        : m_tables(tables)
        , m_lines(lines)
        , m_unicode(unicodeText)
        , m_err(errString)
    {
    }

    bool ParseFile()
    {
        for (qint32 n = 1; n <= Count(); ++n) {
            const StructLine line = Line(n);
            if (line.Key != QLatin1String("TABLE") || line.Value != Begin) {
                m_err = GetUnexpectedKeyMessage(n);
                return false;
            }
            const auto table = ParseTableBlock(n);
            if (!table) {
                return false;
            }
            QString refusal;
            if (!m_tables.Add(table, refusal)) {
                table->ReleaseRecords();
                m_err = QStringLiteral("Ошибка добавления таблицы '") + table->mName()
                        + QStringLiteral("' по состоянию на строку файла описания структуры №") + LineNumber(n)
                        + QStringLiteral(": ") + refusal + QLatin1Char('!');
                return false;
            }
        }
        return true;
    }

private:
    qint32 Count() const
    {
        return static_cast<qint32>(m_lines.size());
    }

    StructLine Line(qint32 n) const
    {
        return ParseStructLine(m_lines.at(n - 1));
    }

    // A value taken as written (names, keywords, numbers).
    QString Plain(const QString &value) const
    {
        return m_unicode ? value : CodePage::FromWindows1251(value.toLatin1());
    }

    // A Russian text of the file: code page 866 is recognised and converted.
    QString Russian(const QString &value) const
    {
        return m_unicode ? value : CodePage::FromWindows1251(ConvertFromDOS(value.toLatin1()));
    }

    std::shared_ptr<Table> ParseTableBlock(qint32 &n)
    {
        auto table = Table::Create();
        // A table given up half-read lets go of its preset rows, which hold it.
        auto release = qScopeGuard([&table] { table->ReleaseRecords(); });
        for (++n;; ++n) {
            if (n > Count()) {
                m_err = EndOfFileMessage();
                return nullptr;
            }
            const StructLine line = Line(n);
            const QString &key = line.Key;
            bool flag = false;
            if (key == QLatin1String("NAME")) {
                if (!CheckName(Plain(line.Value), true, n, m_err)) {
                    return nullptr;
                }
                table->SetmName(Plain(line.Value));
            } else if (key == QLatin1String("CAPTION")) {
                table->SetCaption(Russian(line.Value));
            } else if (key == QLatin1String("READONLY") || key == QLatin1String("CACHED")
                       || key == QLatin1String("COMBINEUNIQUE")) {
                if (!ParseBoolean(line.Value, flag)) {
                    m_err = BadValueMessage(Plain(line.Value), n);
                    return nullptr;
                }
                if (key == QLatin1String("READONLY")) {
                    table->SetReadOnly(flag);
                } else if (key == QLatin1String("CACHED")) {
                    table->SetCached(flag);
                } else {
                    table->SetCombineUnique(flag);
                }
            } else if (key == QLatin1String("FIELD") && line.Value == Begin) {
                const auto field = ParseFieldBlock(n);
                if (!field) {
                    return nullptr;
                }
                QString refusal;
                if (!table->Fields()->Add(field, refusal)) {
                    m_err = QStringLiteral("Ошибка добавления поля по состоянию на строку файла описания структуры №")
                            + LineNumber(n) + QStringLiteral(": ") + refusal + QLatin1Char('!');
                    return nullptr;
                }
            } else if (key == QLatin1String("VALUE") && line.Value == Begin) {
                const auto record = table->GetNewRecord();
                if (!ParseValueBlock(n, *table, *record)) {
                    return nullptr;
                }
                if (!table->PresetRecords()->sysAdd(record, m_err)) {
                    m_err += QStringLiteral(" (строка файла описания таблиц №") + LineNumber(n) + QStringLiteral(")!");
                    return nullptr;
                }
            } else if (key == QLatin1String("TABLE") && line.Value == End) {
                if (table->mName().isEmpty()) {
                    m_err = QStringLiteral("Не заполнено имя таблицы по состоянию на строку файла описания структуры №")
                            + LineNumber(n) + QLatin1Char('!');
                    return nullptr;
                }
                release.dismiss();
                return table;
            } else {
                m_err = GetUnexpectedKeyMessage(n);
                return nullptr;
            }
        }
    }

    std::shared_ptr<Field> ParseFieldBlock(qint32 &n)
    {
        auto field = std::make_shared<Field>();
        for (++n;; ++n) {
            if (n > Count()) {
                m_err = EndOfFileMessage();
                return nullptr;
            }
            const StructLine line = Line(n);
            const QString &key = line.Key;
            const QString value = Plain(line.Value);
            bool flag = false;
            if (key == QLatin1String("NAME") || key == QLatin1String("TABLEFORLOOKUP")
                || key == QLatin1String("FIELDFORLOOKUP")) {
                if (!CheckName(value, key == QLatin1String("TABLEFORLOOKUP"), n, m_err)) {
                    return nullptr;
                }
                if (key == QLatin1String("NAME")) {
                    field->SetmName(value);
                } else if (key == QLatin1String("TABLEFORLOOKUP")) {
                    field->SetTableForLookup(value);
                } else {
                    field->SetFieldForLookup(value);
                }
            } else if (key == QLatin1String("CAPTION")) {
                field->SetCaption(Russian(line.Value));
            } else if (key == QLatin1String("DEFAULT")) {
                field->SetDefault(Russian(line.Value));
            } else if (key == QLatin1String("LENGTH")) {
                field->SetLength(LeadingInteger(value));
            } else if (key == QLatin1String("CLASS")) {
                const auto fieldClass = FieldClasses::Instance().Item(value);
                if (!fieldClass) {
                    m_err = QStringLiteral("Неизвестный класс поля '") + value
                            + QStringLiteral("' в строке файла описания структуры №") + LineNumber(n)
                            + QLatin1Char('!');
                    return nullptr;
                }
                field->SetClass(fieldClass);
                if (fieldClass->Code() != fcNormal) {
                    field->SetType(FieldTypes::Instance().Item(qint32(ftINT)));
                }
            } else if (key == QLatin1String("TYPE")) {
                const auto type = FieldTypes::Instance().Item(value);
                if (!type) {
                    m_err = QStringLiteral("Неизвестный тип поля '") + value
                            + QStringLiteral("' в строке файла описания структуры №") + LineNumber(n)
                            + QLatin1Char('!');
                    return nullptr;
                }
                field->SetType(type);
                if (field->Length() == 0 && type->Code() == ftVARCHAR) {
                    field->SetLength(DefaultVarcharLength);
                }
            } else if (key == QLatin1String("TOTAL")) {
                const auto total = FieldTotals::Instance().Item(value);
                if (!total) {
                    m_err = QStringLiteral("Неизвестный принцип суммирования по полю '") + value
                            + QStringLiteral("' в строке файла описания структуры №") + LineNumber(n)
                            + QLatin1Char('!');
                    return nullptr;
                }
                field->SetTotal(total);
            } else if (key == QLatin1String("UNIQUE") || key == QLatin1String("REQUIRED")
                       || key == QLatin1String("SORTED")) {
                if (!ParseBoolean(line.Value, flag)) {
                    m_err = BadValueMessage(value, n);
                    return nullptr;
                }
                if (key == QLatin1String("UNIQUE")) {
                    field->SetUniqueKey(flag);
                } else if (key == QLatin1String("REQUIRED")) {
                    field->SetRequired(flag);
                } else {
                    field->SetSorted(flag);
                }
            } else if (key == QLatin1String("FIELD") && line.Value == End) {
                const bool normal = field->mClass()->Code() == fcNormal;
                const bool accepted = normal ? !field->mName().isEmpty()
                                             : !field->TableForLookup().isEmpty() && !field->FieldForLookup().isEmpty()
                                                   && field->mType()->Code() == ftINT;
                if (!accepted) {
                    m_err =
                        QStringLiteral(
                            "Не все ключевые значения поля заполнены по состоянию на строку файла описания структуры №")
                        + LineNumber(n) + QLatin1Char('!');
                    return nullptr;
                }
                return field;
            } else {
                m_err = GetUnexpectedKeyMessage(n);
                return nullptr;
            }
        }
    }

    bool ParseValueBlock(qint32 &n, const Table &table, DBRecord &record)
    {
        for (++n;; ++n) {
            if (n > Count()) {
                m_err = EndOfFileMessage();
                return false;
            }
            const StructLine line = Line(n);
            const QString &key = line.Key;
            if (key == QLatin1String("VALUE")) {
                if (line.Value == End && record.Code() != 0) {
                    return true;
                }
                m_err = line.Value == End
                            ? QStringLiteral("Код значения не установлен (строка в файле описания структуры №")
                                  + LineNumber(n) + QStringLiteral(")!")
                            : GetUnexpectedKeyMessage(n);
                return false;
            }
            if (key == QLatin1String("CODE")) {
                record.SetCode(LeadingInteger(Plain(line.Value)));
                continue;
            }
            const auto value = record.DBFields()->Item(key);
            if (!value) {
                m_err = QStringLiteral("Поле '") + key + QStringLiteral("' в таблице '") + table.mName()
                        + QStringLiteral("' не найдено (строка в файле описания структуры №") + LineNumber(n)
                        + QStringLiteral(")!");
                return false;
            }
            value->SetValue(Russian(line.Value));
            record.AddPresetField(value->Field()->mName());
        }
    }

    Tables &m_tables;
    const QStringList &m_lines;
    bool m_unicode;
    QString &m_err;
};

StructLine ParseStructLine(const QString &line)
{
    const qsizetype open = line.indexOf(QLatin1Char('{'));
    const qsizetype close = open < 0 ? -1 : line.indexOf(QLatin1Char('}'), open + 1);
    if (close < 0) {
        return {};
    }
    const qsizetype equals = line.indexOf(QLatin1Char('='), open + 1);
    if (equals > close) {
        // The "=" stands behind the "}": no well-formed key line.
        return {};
    }
    const QString inner = line.mid(open + 1, close - open - 1);
    if (equals >= 0) {
        const qsizetype at = equals - open - 1;
        return {TrimBlanks(inner.left(at)).toUpper(), TrimBlanks(inner.mid(at + 1))};
    }
    const QString key = TrimBlanks(inner);
    if (key.startsWith(QLatin1Char('/'))) {
        return {TrimBlanks(key.mid(1)).toUpper(), End};
    }
    return {key.toUpper(), Begin};
}

QString GetUnexpectedKeyMessage(qint32 n)
{
    return QStringLiteral("Ошибка формирования структуры таблиц! Неожиданный ключ в строке файла описания структуры №")
           + LineNumber(n) + QLatin1Char('!');
}

bool LoadDBStructFile(Tables &tables, const QString &DBStructFile, QString &ErrString)
{
    const QString openMessage =
        QStringLiteral("Невозможно открыть файл описания структуры БД: '") + DBStructFile + QStringLiteral("'!");
    QFile file;
    QString reason;
    if (OpenFileForReading(DBStructFile, reason, false, 0, file) != ReadFileOpened) {
        // The message the caller gets is worded once for every cause; the cause goes to the log.
        LogWarning(openMessage + QLatin1Char(' ') + reason);
        ErrString = openMessage;
        return false;
    }
    const QByteArray bytes = file.readAll();
    file.close();
    QString parseError;
    if (ParseStructBytes(tables, bytes, parseError)) {
        return true;
    }
    // A file without a single line is as useless as a missing one.
    ErrString = parseError.isEmpty() ? openMessage : parseError;
    return false;
}

bool ParseStructBytes(Tables &tables, const QByteArray &bytes, QString &ErrString)
{
    const bool unicode = CodePage::IsValidUtf8(bytes);
    const QString text = unicode ? QString::fromUtf8(bytes) : QString::fromLatin1(bytes);
    QStringList lines;
    for (QString line : text.split(QLatin1Char('\n'))) {
        line.remove(QLatin1Char('\t'));
        line.remove(QLatin1Char('\r'));
        line = TrimBlanks(line);
        if (!line.isEmpty()) {
            lines << line;
        }
    }
    if (lines.isEmpty()) {
        return false;
    }
    return ParseStructFile(tables, lines, unicode, ErrString);
}

bool ParseStructFile(Tables &tables, const QStringList &lines, bool unicodeText, QString &ErrString)
{
    return Parser(tables, lines, unicodeText, ErrString).ParseFile();
}
} // namespace Rollstrake::SchemaReader
