#include "statistics/odtwriter.h"

#include <QIODevice>
#include <QTextBlock>
#include <QTextDocument>
#include <QTextDocumentWriter>
#include <QTextTable>

namespace
{
// A table of the export: thin solid borders, some room in the cells, the page's whole width.
constexpr qreal BorderWidth = 0.5;
constexpr qreal CellPadding = 3;
constexpr int WholeWidthPercent = 100;
} // namespace

OdtWriter::OdtWriter() = default;

OdtWriter::~OdtWriter() = default;

void OdtWriter::FileNew()
{
    m_document = std::make_unique<QTextDocument>();
    m_cursor = QTextCursor(m_document.get());
    m_format = QTextCharFormat();
}

void OdtWriter::AppShow() {}

void OdtWriter::AppMinimize() {}

bool OdtWriter::IsAppMinimized()
{
    return false;
}

void OdtWriter::AppRestore() {}

void OdtWriter::ScreenUpdating() {}

void OdtWriter::SetAlignment(Qt::Alignment Alignment)
{
    QTextBlockFormat format;
    format.setAlignment(Alignment);
    m_cursor.mergeBlockFormat(format);
}

void OdtWriter::CenterPara()
{
    SetAlignment(Qt::AlignHCenter);
}

void OdtWriter::LeftPara()
{
    SetAlignment(Qt::AlignLeft);
}

void OdtWriter::Bold(int On)
{
    m_format.setFontWeight(On != 0 ? QFont::Bold : QFont::Normal);
}

void OdtWriter::Underline(int On)
{
    m_format.setFontUnderline(On != 0);
}

void OdtWriter::FontSize(int Points)
{
    m_format.setFontPointSize(Points);
}

void OdtWriter::Insert(const QString &Text)
{
    m_cursor.insertText(Text, m_format);
}

void OdtWriter::InsertPara()
{
    m_cursor.insertBlock(m_cursor.blockFormat(), m_format);
}

void OdtWriter::TableInsertTable(const QString &,
                                 int NumColumns,
                                 int NumRows,
                                 const QVariant &,
                                 const QVariant &,
                                 int,
                                 int)
{
    m_cursor.insertTable(NumRows, NumColumns);
}

void OdtWriter::TableAutoFormat(const QVariantList &)
{
    QTextTable *table = m_cursor.currentTable();
    if (!table) {
        return;
    }
    QTextTableFormat format = table->format();
    format.setHeaderRowCount(1);
    format.setBorder(BorderWidth);
    format.setBorderStyle(QTextFrameFormat::BorderStyle_Solid);
    format.setBorderCollapse(true);
    format.setCellSpacing(0);
    format.setCellPadding(CellPadding);
    format.setWidth(QTextLength(QTextLength::PercentageLength, WholeWidthPercent));
    table->setFormat(format);
}

void OdtWriter::NextCell()
{
    QTextTable *table = m_cursor.currentTable();
    if (!table) {
        return;
    }
    const QTextTableCell cell = table->cellAt(m_cursor);
    int row = cell.row();
    int column = cell.column() + cell.columnSpan();
    if (column >= table->columns()) {
        column = 0;
        ++row;
        if (row >= table->rows()) {
            table->appendRows(1);
        }
    }
    m_cursor = table->cellAt(row, column).firstCursorPosition();
}

void OdtWriter::LineDown(int Lines)
{
    for (int line = 0; line < Lines; ++line) {
        if (QTextTable *table = m_cursor.currentTable()) {
            // A table is always followed by a paragraph.
            m_cursor.setPosition(table->lastPosition() + 1);
        } else {
            m_cursor.movePosition(QTextCursor::NextBlock);
        }
    }
}

void OdtWriter::StartOfDocument()
{
    m_cursor.movePosition(QTextCursor::Start);
}

QTextDocument *OdtWriter::Document() const
{
    return m_document.get();
}

bool OdtWriter::Write(QIODevice *Device, QString &ErrString) const
{
    if (!m_document) {
        ErrString = QStringLiteral("документ не создан");
        return false;
    }
    QTextDocumentWriter writer(Device, QByteArrayLiteral("odf"));
    if (!writer.write(m_document.get())) {
        ErrString = Device->errorString().isEmpty() ? QStringLiteral("документ не записан") : Device->errorString();
        return false;
    }
    return true;
}
