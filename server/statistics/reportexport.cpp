#include "statistics/reportexport.h"

#include "core/suminwords.h"
#include "textdates.h"

namespace
{
constexpr int TitlePoints = 14;
constexpr int CellPoints = 10;
// The table's first form: two rows, the rest added cell by cell.
constexpr int FirstRows = 2;
constexpr int TableFormat = 0;
constexpr int TableApply = 167;
constexpr int NoSkippedColumn = -1;

// The table's look as the automation's twelve positional values give it.
QVariantList AutoFormatArguments()
{
    return {1, QStringLiteral("37"), 37, 1, 1, 1, 0, 1, 1, 1, 0, 0};
}

// How one report is exported.
struct ExportLayout
{
    QString Title;
    bool FilterTexts = false;
    // The headers for all computers, the computer's among them where there is one.
    QStringList Headers;
    // The cell (j of the list's further columns) left out for one computer.
    int ComputerColumn = NoSkippedColumn;
    bool WithSum = false;
    bool WithTraffic = false;
    // The last header keeps the paragraph's alignment.
    bool LastHeaderCentred = true;
};

ExportLayout LayoutOf(ReportKind Kind)
{
    ExportLayout layout;
    layout.Title = ExportTitle(Kind);
    switch (Kind) {
    case ReportKind::Seances:
        layout.FilterTexts = true;
        layout.Headers = {QStringLiteral("Время начала"),
                          QStringLiteral("Время окончания"),
                          QStringLiteral("Длительность"),
                          QStringLiteral("Компьютер"),
                          QStringLiteral("Рабочий стол"),
                          QStringLiteral("Тариф"),
                          QStringLiteral("Сумма"),
                          QStringLiteral("Входящий трафик (Мб)"),
                          QStringLiteral("Исходящий трафик (Мб)")};
        layout.ComputerColumn = 3;
        layout.WithSum = true;
        layout.WithTraffic = true;
        break;
    case ReportKind::NightReserves:
        layout.FilterTexts = true;
        layout.Headers = {QStringLiteral("Дата/время резерва"),
                          QStringLiteral("Дата ночи"),
                          QStringLiteral("Компьютер"),
                          QStringLiteral("Псевдоним"),
                          QStringLiteral("Рабочий стол"),
                          QStringLiteral("Тариф"),
                          QStringLiteral("Оплата/Резерв"),
                          QStringLiteral("Сумма")};
        layout.ComputerColumn = 2;
        layout.WithSum = true;
        break;
    case ReportKind::CardPays:
        layout.Headers = {QStringLiteral("Дата/Время"),
                          QStringLiteral("Штрихкод"),
                          QStringLiteral("Псевдоним владельца"),
                          QStringLiteral("Фамилия владельца"),
                          QStringLiteral("Сумма")};
        layout.WithSum = true;
        break;
    case ReportKind::Services:
        // The comment is not exported.
        layout.Headers = {QStringLiteral("Дата/Время"),
                          QStringLiteral("Наименование услуги"),
                          QStringLiteral("К-во единиц"),
                          QStringLiteral("Сумма")};
        layout.WithSum = true;
        break;
    case ReportKind::Internet:
        layout.Headers = {QStringLiteral("Дата/Время"), QStringLiteral("Компьютер"), QStringLiteral("Ссылка")};
        layout.ComputerColumn = 1;
        break;
    case ReportKind::History:
        layout.Headers = {QStringLiteral("Дата/Время"), QStringLiteral("Компьютер"), QStringLiteral("Информация")};
        layout.ComputerColumn = 1;
        layout.LastHeaderCentred = false;
        break;
    case ReportKind::Chart:
        break;
    }
    return layout;
}

QString DayText(const QDateTime &Value)
{
    return DateToString(Value, false, QStringLiteral("/"));
}

void WriteTitle(DocumentWriter &Writer, const ExportLayout &Layout, const ReportFilter &Filter)
{
    const QString period = Filter.IsOneDay() ? QString(QStringLiteral(" за ") + DayText(Filter.DateFrom))
                                             : QStringLiteral(" за период с ") + DayText(Filter.DateFrom)
                                                   + QStringLiteral(" по ") + DayText(Filter.DateTo);
    Writer.Insert(Layout.Title + period);
    if (Layout.FilterTexts) {
        Writer.Insert(ComputerCaption(Filter));
        Writer.Insert(PayTypeCaption(Filter));
        Writer.Insert(DesktopCaption(Filter));
    }
    Writer.InsertPara();
}

void WriteTotals(DocumentWriter &Writer, const ExportLayout &Layout, const ReportTotals &Totals)
{
    Writer.LineDown(1);
    Writer.LeftPara();
    Writer.Insert(QStringLiteral("Итого: ") + FormatSum(Totals.Sum) + QStringLiteral(" руб. ")
                  + SumInWords(Totals.Sum));
    if (Layout.WithTraffic) {
        Writer.InsertPara();
        Writer.Insert(QStringLiteral("Входящий трафик: ") + FormatSum(Totals.Download) + QStringLiteral(" Мб. "));
        Writer.InsertPara();
        Writer.Insert(QStringLiteral("Исходящий трафик: ") + FormatSum(Totals.Upload) + QStringLiteral(" Мб. "));
    }
}
} // namespace

QString ExportQuestion(ReportKind Kind)
{
    switch (Kind) {
    case ReportKind::Seances:
        return QStringLiteral("Экспортировать отобранную опись сеансов в MS Word?");
    case ReportKind::NightReserves:
        return QStringLiteral("Экспортировать отобранную опись резервов ночей в MS Word?");
    case ReportKind::CardPays:
        return QStringLiteral("Экспортировать отобранную опись пополнений балансов карточек в MS Word?");
    case ReportKind::Services:
        return QStringLiteral("Экспортировать отобранную опись оказанных услуг в MS Word?");
    case ReportKind::Internet:
        return QStringLiteral("Экспортировать отобранную детализацию доступа в интернет в MS Word?");
    case ReportKind::History:
        return QStringLiteral("Экспортировать отобранную историю сеансов в MS Word?");
    case ReportKind::Chart:
        break;
    }
    return {};
}

QString ExportErrorText(ReportKind Kind)
{
    switch (Kind) {
    case ReportKind::Seances:
        return QStringLiteral("Ошибка экспорта описи сеансов в MS Word: ");
    case ReportKind::NightReserves:
        return QStringLiteral("Ошибка экспорта описи резервов ночи в MS Word: ");
    case ReportKind::CardPays:
        return QStringLiteral("Ошибка экспорта описи пополнений балансов карточек в MS Word: ");
    case ReportKind::Services:
        return QStringLiteral("Ошибка экспорта описи оказанных услуг в MS Word: ");
    case ReportKind::Internet:
        return QStringLiteral("Ошибка экспорта детализации доступа в интернет в MS Word: ");
    case ReportKind::History:
        return QStringLiteral("Ошибка экспорта истории сеансов в MS Word: ");
    case ReportKind::Chart:
        break;
    }
    return {};
}

QString ExportTitle(ReportKind Kind)
{
    switch (Kind) {
    case ReportKind::Seances:
        return QStringLiteral("Сеансы");
    case ReportKind::NightReserves:
        return QStringLiteral("Резервы ночей");
    case ReportKind::CardPays:
        return QStringLiteral("Пополнения балансов карточек");
    case ReportKind::Services:
        return QStringLiteral("Оказанные услуги");
    case ReportKind::Internet:
        return QStringLiteral("Детализация доступа в интернет");
    case ReportKind::History:
        return QStringLiteral("История сеансов");
    case ReportKind::Chart:
        break;
    }
    return {};
}

void ExportReport(DocumentWriter &Writer, const ExportContent &Content)
{
    const ExportLayout layout = LayoutOf(Content.Kind);
    const int skipped = Content.Filter.Computer != 0 ? layout.ComputerColumn : NoSkippedColumn;
    QStringList headers = layout.Headers;
    if (skipped != NoSkippedColumn) {
        headers.removeAt(skipped);
    }
    Writer.FileNew();
    Writer.AppShow();
    Writer.AppMinimize();
    Writer.ScreenUpdating();
    Writer.CenterPara();
    Writer.Bold(1);
    Writer.Underline(0);
    Writer.FontSize(TitlePoints);
    WriteTitle(Writer, layout, Content.Filter);
    Writer.TableInsertTable(QString(), int(headers.size()), FirstRows, QVariant(), QVariant(), TableFormat, TableApply);
    Writer.TableAutoFormat(AutoFormatArguments());
    Writer.Bold(1);
    for (int i = 0; i < headers.size(); ++i) {
        const bool last = i == headers.size() - 1;
        Writer.FontSize(CellPoints);
        if (!last || layout.LastHeaderCentred) {
            Writer.CenterPara();
        }
        Writer.Insert(headers.at(i));
        if (!last) {
            Writer.NextCell();
        }
    }
    const int further = int(layout.Headers.size()) - 1;
    for (const QStringList &row : Content.Rows) {
        Writer.NextCell();
        Writer.FontSize(CellPoints);
        Writer.Insert(row.value(0));
        for (int j = 1; j <= further; ++j) {
            if (j == skipped) {
                continue;
            }
            Writer.NextCell();
            Writer.FontSize(CellPoints);
            Writer.Insert(row.value(j));
        }
    }
    if (layout.WithSum) {
        WriteTotals(Writer, layout, Content.Totals);
    }
    Writer.StartOfDocument();
    if (Writer.IsAppMinimized()) {
        Writer.AppRestore();
    }
    Writer.ScreenUpdating();
}
