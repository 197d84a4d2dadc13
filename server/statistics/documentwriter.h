#pragma once

#include <QString>
#include <QVariant>
#include <QVariantList>

// The commands a report export gives the document it writes, named and ordered as a word
// processor's automation takes them: a new document, paragraph alignment, character format, text,
// paragraphs, a table filled cell by cell, and the cursor's moves. An omitted argument is a null
// QVariant.
class DocumentWriter
{
public:
    virtual ~DocumentWriter() = default;

    // A new empty document, the cursor at its start.
    virtual void FileNew() = 0;
    // The word processor's window: shown, minimised, restored; screen updates switched.
    virtual void AppShow() = 0;
    virtual void AppMinimize() = 0;
    // AppMinimize asked as a function: the window is minimised.
    virtual bool IsAppMinimized() = 0;
    virtual void AppRestore() = 0;
    virtual void ScreenUpdating() = 0;
    // The current paragraph's alignment.
    virtual void CenterPara() = 0;
    virtual void LeftPara() = 0;
    // The character format of what is typed next: 1 on, 0 off; points.
    virtual void Bold(int On) = 0;
    virtual void Underline(int On) = 0;
    virtual void FontSize(int Points) = 0;
    // Types the text at the cursor.
    virtual void Insert(const QString &Text) = 0;
    // Ends the paragraph; the next keeps its alignment.
    virtual void InsertPara() = 0;
    // A table of NumColumns columns and NumRows rows at the cursor, which moves into its first cell.
    virtual void TableInsertTable(const QString &ConvertFrom,
                                  int NumColumns,
                                  int NumRows,
                                  const QVariant &InitialColWidth,
                                  const QVariant &Wizard,
                                  int Format,
                                  int Apply) = 0;
    // The look of the table under the cursor, from the automation's twelve positional values.
    virtual void TableAutoFormat(const QVariantList &Arguments) = 0;
    // The next cell; from the last cell a new row and its first cell.
    virtual void NextCell() = 0;
    // Down by Lines lines: out of a table after its last row.
    virtual void LineDown(int Lines) = 0;
    virtual void StartOfDocument() = 0;
};
