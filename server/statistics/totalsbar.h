#pragma once

#include "statistics/reportkind.h"
#include "statistics/reportloader.h"

#include <QWidget>

class QLabel;
class QPushButton;

// The totals footer under a report list: one sentence of labels ("Итого: сеансов 3, длительность:
// 02:05 ...") and the button "Экспорт в MS Word"; under the night reserves also "Удалить сеансы".
// It shows the totals it is given and keeps them as numbers, so that an export reads the very
// numbers that were loaded. Built once per report kind (not the chart).
class TotalsBar final : public QWidget
{
    Q_OBJECT

public:
    static constexpr qint32 HeightTwips = 630;

    explicit TotalsBar(ReportKind Kind, QWidget *Parent = nullptr);

    ReportKind Kind() const
    {
        return m_kind;
    }

    // The count label and the sentence's captions (not the values or the buttons) are enabled.
    bool Enabled() const;
    void SetEnabled(bool Value);

    void SetCount(qint64 Count);
    // Shown as "1 234,50".
    void SetSum(Currency Sum);
    Currency Sum() const;
    // Megabytes with four decimals, shown as "1,50/0,00".
    void SetDownload(Currency Megabytes);
    Currency Download() const;
    void SetUpload(Currency Megabytes);
    Currency Upload() const;
    // Minutes, shown as "02:05".
    void SetDuration(qint64 Minutes);
    // Every value the bar shows at once.
    void SetTotals(const ReportTotals &Totals);
    const ReportTotals &Totals() const;
    // The buttons act on a complete list only: off while the report loads.
    void SetActionsEnabled(bool Value);

signals:
    void ExportClick();
    void DeleteClick();

private:
    QLabel *AddLabel(const QString &Name, const QString &Text);
    void ShowTraffic();

    ReportKind m_kind;
    ReportTotals m_totals;
    QList<QLabel *> m_captions;
    QLabel *m_count = nullptr;
    QLabel *m_sum = nullptr;
    QLabel *m_duration = nullptr;
    QLabel *m_traffic = nullptr;
    QPushButton *m_delete = nullptr;
    QPushButton *m_export = nullptr;
};
