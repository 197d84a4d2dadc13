#pragma once

#include "statistics/documentwriter.h"

#include <QTextCharFormat>
#include <QTextCursor>

#include <memory>

class QIODevice;
class QTextDocument;

// The document writer of the exports: the commands build a QTextDocument through a cursor, and
// Write stores it as OpenDocument text. The window commands do nothing (there is no word
// processor's window to drive), and the window is never minimised.
class OdtWriter final : public DocumentWriter
{
public:
    OdtWriter();
    ~OdtWriter() override;

    void FileNew() override;
    void AppShow() override;
    void AppMinimize() override;
    bool IsAppMinimized() override;
    void AppRestore() override;
    void ScreenUpdating() override;
    void CenterPara() override;
    void LeftPara() override;
    void Bold(int On) override;
    void Underline(int On) override;
    void FontSize(int Points) override;
    void Insert(const QString &Text) override;
    void InsertPara() override;
    void TableInsertTable(const QString &ConvertFrom,
                          int NumColumns,
                          int NumRows,
                          const QVariant &InitialColWidth,
                          const QVariant &Wizard,
                          int Format,
                          int Apply) override;
    void TableAutoFormat(const QVariantList &Arguments) override;
    void NextCell() override;
    void LineDown(int Lines) override;
    void StartOfDocument() override;

    // The document written so far; null before FileNew.
    QTextDocument *Document() const;
    // Writes the document as OpenDocument text; false with the reason.
    bool Write(QIODevice *Device, QString &ErrString) const;

private:
    void SetAlignment(Qt::Alignment Alignment);

    std::unique_ptr<QTextDocument> m_document;
    QTextCursor m_cursor;
    QTextCharFormat m_format;
};
