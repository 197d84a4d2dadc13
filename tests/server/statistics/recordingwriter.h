#pragma once

#include "statistics/documentwriter.h"

#include <QStringList>

// A document writer that keeps every command it is given as one line of text ("Bold 1", "Insert
// Сеансы за 05/12/2026", "TableInsertTable \"\", 9, 2, -, -, 0, 167"), an omitted argument as "-".
class RecordingWriter final : public DocumentWriter
{
public:
    QStringList Commands;

    void FileNew() override
    {
        Commands << QStringLiteral("FileNew");
    }

    void AppShow() override
    {
        Commands << QStringLiteral("AppShow");
    }

    void AppMinimize() override
    {
        Commands << QStringLiteral("AppMinimize");
    }

    bool IsAppMinimized() override
    {
        Commands << QStringLiteral("AppMinimize()");
        return false;
    }

    void AppRestore() override
    {
        Commands << QStringLiteral("AppRestore");
    }

    void ScreenUpdating() override
    {
        Commands << QStringLiteral("ScreenUpdating");
    }

    void CenterPara() override
    {
        Commands << QStringLiteral("CenterPara");
    }

    void LeftPara() override
    {
        Commands << QStringLiteral("LeftPara");
    }

    void Bold(int On) override
    {
        Commands << QStringLiteral("Bold %1").arg(On);
    }

    void Underline(int On) override
    {
        Commands << QStringLiteral("Underline %1").arg(On);
    }

    void FontSize(int Points) override
    {
        Commands << QStringLiteral("FontSize %1").arg(Points);
    }

    void Insert(const QString &Text) override
    {
        Commands << QStringLiteral("Insert ") + Text;
    }

    void InsertPara() override
    {
        Commands << QStringLiteral("InsertPara");
    }

    void TableInsertTable(const QString &ConvertFrom,
                          int NumColumns,
                          int NumRows,
                          const QVariant &InitialColWidth,
                          const QVariant &Wizard,
                          int Format,
                          int Apply) override
    {
        Commands << QStringLiteral("TableInsertTable ")
                        + Arguments(
                            {QVariant(ConvertFrom), NumColumns, NumRows, InitialColWidth, Wizard, Format, Apply});
    }

    void TableAutoFormat(const QVariantList &Values) override
    {
        Commands << QStringLiteral("TableAutoFormat ") + Arguments(Values);
    }

    void NextCell() override
    {
        Commands << QStringLiteral("NextCell");
    }

    void LineDown(int Lines) override
    {
        Commands << QStringLiteral("LineDown %1").arg(Lines);
    }

    void StartOfDocument() override
    {
        Commands << QStringLiteral("StartOfDocument");
    }

private:
    static QString Arguments(const QVariantList &Values)
    {
        QStringList texts;
        for (const QVariant &value : Values) {
            if (!value.isValid()) {
                texts << QStringLiteral("-");
            } else if (value.typeId() == QMetaType::QString) {
                texts << QLatin1Char('"') + value.toString() + QLatin1Char('"');
            } else {
                texts << value.toString();
            }
        }
        return texts.join(QStringLiteral(", "));
    }
};
