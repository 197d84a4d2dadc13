#include "statistics/reportmodel.h"

#include "controls/inputhelpers.h"
#include "core/widgets/guihelpers.h"
#include "generalhelpers.h"
#include "textdates.h"

#include <QCollator>
#include <QThread>

#include <algorithm>
#include <numeric>

namespace
{
using Cell = quint64;

// A date-time cell, "dd/MM/yyyy hh:mm:ss", kept as its 14 digits in their order: their numeric
// order is the text order of the cells.
constexpr Cell DateFlag = Cell(1) << 63;
constexpr int DateLength = 19;
constexpr int DateDigits = 14;
constexpr int Decimal = 10;

bool IsDateSeparatorAt(int Position, QChar Character)
{
    switch (Position) {
    case 2:
    case 5:
        return Character == QLatin1Char('/');
    case 10:
        return Character == QLatin1Char(' ');
    case 13:
    case 16:
        return Character == QLatin1Char(':');
    default:
        return false;
    }
}

bool PackDate(const QString &Text, Cell &Packed)
{
    if (Text.size() != DateLength) {
        return false;
    }
    Cell digits = 0;
    for (int i = 0; i < DateLength; ++i) {
        const QChar character = Text.at(i);
        if (IsDateSeparatorAt(i, character)) {
            continue;
        }
        if (character < QLatin1Char('0') || character > QLatin1Char('9')) {
            return false;
        }
        digits = digits * Decimal + Cell(character.unicode() - '0');
    }
    Packed = DateFlag | digits;
    return true;
}

QString UnpackDate(Cell Packed)
{
    QString text(DateLength, QLatin1Char('0'));
    Cell digits = Packed & ~DateFlag;
    int left = DateDigits;
    for (int i = DateLength - 1; i >= 0; --i) {
        if (i == 2 || i == 5) {
            text[i] = QLatin1Char('/');
        } else if (i == 10) {
            text[i] = QLatin1Char(' ');
        } else if (i == 13 || i == 16) {
            text[i] = QLatin1Char(':');
        } else if (left-- > 0) {
            text[i] = QLatin1Char(char('0' + digits % Decimal));
            digits /= Decimal;
        }
    }
    return text;
}

// Room for Needed items, grown by an eighth: doubling would leave a year's rows with up to as
// much memory unused as used.
template <typename Item>
void ReserveFor(std::vector<Item> &Items, size_t Needed)
{
    constexpr size_t GrowthDivisor = 8;
    if (Needed > Items.capacity()) {
        Items.reserve(std::max(Needed, Items.capacity() + Items.capacity() / GrowthDivisor));
    }
}

bool IsDate(Cell Value)
{
    return (Value & DateFlag) != 0;
}

// A sum cell as FormatSum writes it ("-1 234,50", groups parted by a no-break space), kept as its
// hundredths: a year's traffic and sums are mostly distinct texts, each costing more than its row.
// Only the form FormatSum gives is packed, so that unpacking gives the text back exactly.
constexpr Cell SumFlag = Cell(1) << 62;
constexpr Cell SumNegative = Cell(1) << 61;
constexpr Cell SumLimit = Cell(1) << 53;
constexpr qsizetype GroupDigits = 3;
constexpr qsizetype CentsDigits = 2;
constexpr qint64 CentsPerWhole = 100;

bool IsSum(Cell Value)
{
    return !IsDate(Value) && (Value & SumFlag) != 0;
}

bool IsAsciiDigit(QChar Character)
{
    return Character >= QLatin1Char('0') && Character <= QLatin1Char('9');
}

// The whole part's digits, each group of three after the first parted by a no-break space, no
// leading zero but for a lone "0".
bool ReadWholeDigits(QStringView Whole, Cell &Value)
{
    const qsizetype size = Whole.size();
    if (size % (GroupDigits + 1) == 0 || (Whole.at(0) == QLatin1Char('0') && size > 1)) {
        return false;
    }
    const qsizetype first = size % (GroupDigits + 1);
    for (qsizetype i = 0; i < size; ++i) {
        const bool separator = i >= first && (i - first) % (GroupDigits + 1) == 0 && i > 0;
        if (separator ? Whole.at(i) != QChar(0x00A0) : !IsAsciiDigit(Whole.at(i))) {
            return false;
        }
        if (!separator) {
            Value = Value * Decimal + Cell(Whole.at(i).unicode() - '0');
            if (Value >= SumLimit) {
                return false;
            }
        }
    }
    return true;
}

bool PackSum(const QString &Text, Cell &Packed)
{
    const bool negative = Text.startsWith(QLatin1Char('-'));
    const QStringView digits = QStringView(Text).mid(negative ? 1 : 0);
    const qsizetype comma = digits.size() - CentsDigits - 1;
    if (comma < 1 || digits.at(comma) != QLatin1Char(',') || !IsAsciiDigit(digits.at(comma + 1))
        || !IsAsciiDigit(digits.at(comma + 2))) {
        return false;
    }
    Cell cents = 0;
    if (!ReadWholeDigits(digits.left(comma), cents)) {
        return false;
    }
    cents = cents * CentsPerWhole + Cell(digits.at(comma + 1).unicode() - '0') * Decimal
            + Cell(digits.at(comma + 2).unicode() - '0');
    if (cents >= SumLimit || (negative && cents == 0)) {
        return false;
    }
    Packed = SumFlag | (negative ? SumNegative : 0) | cents;
    return true;
}

QString UnpackSum(Cell Packed)
{
    const auto cents = qint64(Packed & (SumNegative - 1));
    const qint64 units = cents * (Currency::Scale / CentsPerWhole);
    return FormatSum(Currency::FromUnits((Packed & SumNegative) != 0 ? -units : units));
}

// The order of a column's cells (given in the shown order) by their texts; ties keep their order.
// CellText gives a cell's text.
template <typename TextOf>
std::vector<quint32> SortedOrder(const std::vector<Cell> &Cells, const TextOf &CellText, bool Descending)
{
    QCollator collator(InputHelpers::DisplayLocale());
    collator.setCaseSensitivity(Qt::CaseInsensitive);
    // Each distinct text is keyed once; texts that collate alike share their rank.
    std::vector<Cell> used;
    for (const Cell cell : Cells) {
        if (!IsDate(cell)) {
            used.push_back(cell);
        }
    }
    std::sort(used.begin(), used.end());
    used.erase(std::unique(used.begin(), used.end()), used.end());
    std::vector<std::pair<QCollatorSortKey, Cell>> keyed;
    keyed.reserve(used.size());
    for (const Cell cell : used) {
        keyed.emplace_back(collator.sortKey(CellText(cell)), cell);
    }
    std::sort(keyed.begin(), keyed.end(), [](const auto &a, const auto &b) { return a.first.compare(b.first) < 0; });
    QHash<Cell, quint32> ranks;
    quint32 rank = 0;
    for (size_t i = 0; i < keyed.size(); ++i) {
        if (i > 0 && keyed[i - 1].first.compare(keyed[i].first) != 0) {
            ++rank;
        }
        ranks.insert(keyed[i].second, rank);
    }
    const auto compare = [&](Cell a, Cell b) -> int {
        if (IsDate(a) && IsDate(b)) {
            return a < b ? -1 : (a > b ? 1 : 0);
        }
        if (!IsDate(a) && !IsDate(b)) {
            const quint32 ra = ranks.value(a);
            const quint32 rb = ranks.value(b);
            return ra < rb ? -1 : (ra > rb ? 1 : 0);
        }
        return collator.compare(CellText(a), CellText(b));
    };
    std::vector<quint32> order(Cells.size());
    std::iota(order.begin(), order.end(), 0U);
    std::stable_sort(order.begin(), order.end(), [&](quint32 a, quint32 b) {
        const int result = compare(Cells[a], Cells[b]);
        return Descending ? result > 0 : result < 0;
    });
    return order;
}

QString TextOfCell(Cell Value, const QStringList &Texts)
{
    if (IsDate(Value)) {
        return UnpackDate(Value);
    }
    return IsSum(Value) ? UnpackSum(Value) : Texts.at(qsizetype(Value));
}
} // namespace

ReportModel::ReportModel(const QList<Column> &Columns, const Marks &Images, QObject *Parent)
    : QAbstractTableModel(Parent)
    , m_columns(Columns)
    , m_marks(Images)
    , m_width(int(Columns.size()))
{
}

ReportModel::~ReportModel()
{
    for (const auto &sorter : m_sorters) {
        sorter->wait();
    }
}

int ReportModel::rowCount(const QModelIndex &Parent) const
{
    return Parent.isValid() ? 0 : m_shown;
}

int ReportModel::columnCount(const QModelIndex &Parent) const
{
    return Parent.isValid() ? 0 : m_width;
}

QVariant ReportModel::data(const QModelIndex &Index, int Role) const
{
    if (!checkIndex(Index, CheckIndexOption::IndexIsValid | CheckIndexOption::ParentIsInvalid)) {
        return {};
    }
    switch (Role) {
    case Qt::DisplayRole:
        return Text(Index.row(), Index.column());
    case Qt::TextAlignmentRole:
        return m_columns.at(Index.column()).Right ? QVariant(Qt::AlignRight | Qt::AlignVCenter) : QVariant();
    case ItemKeyRole: {
        const qint32 code = Code(Index.row());
        return Index.column() == 0 && code != 0 ? QVariant(MakeItemKey(code)) : QVariant();
    }
    default:
        return {};
    }
}

QVariant ReportModel::headerData(int Section, Qt::Orientation Orientation, int Role) const
{
    if (Orientation != Qt::Horizontal || Section < 0 || Section >= m_width) {
        return {};
    }
    switch (Role) {
    case Qt::DisplayRole:
        return m_columns.at(Section).Caption;
    case Qt::DecorationRole:
        if (Section != m_sortColumn) {
            return m_marks.None;
        }
        return m_descending ? m_marks.Descending : m_marks.Ascending;
    case Qt::TextAlignmentRole:
        return m_columns.at(Section).Right ? QVariant(Qt::AlignRight | Qt::AlignVCenter) : QVariant();
    default:
        return {};
    }
}

void ReportModel::Clear()
{
    ++m_generation;
    beginResetModel();
    // Swapped out, not cleared: a year's rows give their memory back.
    std::vector<Cell>().swap(m_cells);
    std::vector<qint32>().swap(m_codes);
    std::vector<quint32>().swap(m_order);
    m_shown = 0;
    m_texts.clear();
    m_textIndex.clear();
    endResetModel();
    if (m_sortColumn >= 0) {
        m_sortColumn = -1;
        emit headerDataChanged(Qt::Horizontal, 0, m_width - 1);
    }
    ReapSorters();
}

void ReportModel::AddRows(const std::vector<ReportRow> &Rows)
{
    ReserveFor(m_cells, m_cells.size() + Rows.size() * size_t(m_width));
    ReserveFor(m_codes, m_codes.size() + Rows.size());
    for (const ReportRow &row : Rows) {
        for (int column = 0; column < m_width; ++column) {
            m_cells.push_back(Intern(row.Cells.value(column)));
        }
        m_codes.push_back(row.Key.isEmpty() ? 0 : GetKeyNum(row.Key));
    }
}

void ReportModel::ShowWaiting()
{
    const auto stored = int(m_codes.size());
    if (stored == m_shown) {
        return;
    }
    beginInsertRows(QModelIndex(), m_shown, stored - 1);
    if (!m_order.empty()) {
        for (int row = m_shown; row < stored; ++row) {
            m_order.push_back(quint32(row));
        }
    }
    m_shown = stored;
    endInsertRows();
}

qsizetype ReportModel::WaitingCount() const
{
    return qsizetype(m_codes.size()) - m_shown;
}

void ReportModel::UpdateCell(qsizetype Row, int Column, const QString &Text)
{
    if (Row < 0 || size_t(Row) >= m_codes.size() || Column < 0 || Column >= m_width) {
        return;
    }
    m_cells[size_t(Row) * size_t(m_width) + size_t(Column)] = Intern(Text);
    if (Row >= m_shown) {
        return;
    }
    // Where a sorted row is shown is not kept: the column is repainted.
    const int first = m_order.empty() ? int(Row) : 0;
    const int last = m_order.empty() ? int(Row) : rowCount() - 1;
    emit dataChanged(index(first, Column), index(last, Column), {Qt::DisplayRole});
}

QString ReportModel::Text(int Row, int Column) const
{
    if (Row < 0 || Row >= rowCount() || Column < 0 || Column >= m_width) {
        return {};
    }
    return CellText(m_cells[size_t(StorageRow(Row)) * size_t(m_width) + size_t(Column)]);
}

qint32 ReportModel::Code(int Row) const
{
    return Row >= 0 && Row < rowCount() ? m_codes[size_t(StorageRow(Row))] : 0;
}

bool ReportModel::IsSorting() const
{
    return std::any_of(m_sorters.begin(), m_sorters.end(), [](const auto &sorter) { return !sorter->isFinished(); });
}

void ReportModel::Sort(int Column, bool Descending)
{
    if (Column < 0 || Column >= m_width) {
        return;
    }
    const quint64 generation = ++m_generation;
    m_sortColumn = Column;
    m_descending = Descending;
    emit headerDataChanged(Qt::Horizontal, 0, m_width - 1);
    std::vector<Cell> cells;
    cells.reserve(size_t(m_shown));
    for (int row = 0; row < rowCount(); ++row) {
        cells.push_back(m_cells[size_t(StorageRow(row)) * size_t(m_width) + size_t(Column)]);
    }
    ReapSorters();
    const QStringList texts = m_texts;
    auto *sorter = QThread::create([this, generation, cells = std::move(cells), texts, Descending] {
        const auto textOf = [&texts](Cell Value) {
            return TextOfCell(Value, texts);
        };
        std::vector<quint32> order = SortedOrder(cells, textOf, Descending);
        const auto sorted = qsizetype(cells.size());
        QMetaObject::invokeMethod(
            this,
            [this, generation, sorted, order = std::move(order)] { TakeSort(generation, sorted, order); },
            Qt::QueuedConnection);
    });
    m_sorters.emplace_back(sorter);
    sorter->start(QThread::LowPriority);
}

void ReportModel::TakeSort(quint64 Generation, qsizetype SortedRows, const std::vector<quint32> &Order)
{
    ReapSorters();
    if (Generation != m_generation) {
        return;
    }
    emit layoutAboutToBeChanged({}, QAbstractItemModel::VerticalSortHint);
    // The rows added while the sort ran stay after the sorted ones, as added rows do.
    std::vector<quint32> shown(static_cast<size_t>(m_shown));
    for (size_t row = 0; row < shown.size(); ++row) {
        const size_t from = row < size_t(SortedRows) ? Order[row] : row;
        shown[row] = quint32(StorageRow(int(from)));
    }
    const QModelIndexList persistent = persistentIndexList();
    if (!persistent.isEmpty()) {
        std::vector<int> whereShown(shown.size());
        for (size_t row = 0; row < shown.size(); ++row) {
            whereShown[shown[row]] = int(row);
        }
        QModelIndexList moved;
        moved.reserve(persistent.size());
        for (const QModelIndex &old : persistent) {
            moved << index(whereShown[size_t(StorageRow(old.row()))], old.column());
        }
        changePersistentIndexList(persistent, moved);
    }
    m_order = std::move(shown);
    emit layoutChanged({}, QAbstractItemModel::VerticalSortHint);
    emit Sorted();
}

void ReportModel::ReapSorters()
{
    std::erase_if(m_sorters, [](const auto &sorter) { return sorter->isFinished(); });
}

ReportModel::Cell ReportModel::Intern(const QString &Text)
{
    Cell packed = 0;
    if (PackDate(Text, packed) || PackSum(Text, packed)) {
        return packed;
    }
    const auto found = m_textIndex.constFind(Text);
    if (found != m_textIndex.constEnd()) {
        return found.value();
    }
    const auto index = quint32(m_texts.size());
    m_texts << Text;
    m_textIndex.insert(Text, index);
    return index;
}

QString ReportModel::CellText(Cell Value) const
{
    return TextOfCell(Value, m_texts);
}

int ReportModel::StorageRow(int Row) const
{
    return m_order.empty() ? Row : int(m_order[size_t(Row)]);
}
