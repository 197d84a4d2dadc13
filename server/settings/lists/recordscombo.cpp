#include "settings/lists/recordscombo.h"

#include "controls/inputhelpers.h"
#include "core/dbvalues.h"
#include "core/widgets/guihelpers.h"

#include <QComboBox>
#include <QEvent>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QSignalBlocker>

RecordsCombo::RecordsCombo(QWidget *Parent)
    : QWidget(Parent)
    , m_combo(new QComboBox(this))
{
    m_combo->setObjectName(QStringLiteral("ComboBox"));
    m_combo->installEventFilter(this);
    setFocusProxy(m_combo);
    auto *layout = new QHBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(m_combo);
    setSizePolicy(QSizePolicy::Preferred, QSizePolicy::Fixed);
    // The list's own changes are made with its signals blocked, so this is the operator's pick.
    connect(m_combo, &QComboBox::currentIndexChanged, this, &RecordsCombo::Click);
}

RecordsCombo::~RecordsCombo() = default;

qint32 RecordsCombo::Value() const
{
    const int index = m_combo->currentIndex();
    return index >= 0 ? m_combo->itemData(index).toInt() : 0;
}

void RecordsCombo::SetValue(qint32 Code)
{
    const QSignalBlocker blocker(m_combo);
    m_combo->setCurrentIndex(FindListIndexByData(m_combo, Code));
}

bool RecordsCombo::Enabled() const
{
    return m_combo->isEnabled();
}

void RecordsCombo::SetEnabled(bool Value)
{
    m_combo->setEnabled(Value);
}

QList<RecordsCombo::Entry> RecordsCombo::TableEntries(const QString &TableName,
                                                      const QString &Where,
                                                      const std::function<bool(const Rollstrake::DBRecord &)> &Listed)
{
    QList<Entry> entries;
    QString err;
    const auto records = AllRecords(TableName, err);
    LogDbError(Where, err);
    if (records) {
        for (const auto &record : *records) {
            if (!Listed || Listed(*record)) {
                entries.append({TextValue(*record, QStringLiteral("Name")), record->Code()});
            }
        }
    }
    return entries;
}

void RecordsCombo::Refill(const QList<Entry> &Entries,
                          const QString &FirstItemText,
                          qint32 SelectCode,
                          bool ClickWhenEmpty)
{
    {
        const QSignalBlocker blocker(m_combo);
        m_combo->clear();
        if (!FirstItemText.isEmpty()) {
            AddListItem(m_combo, FirstItemText, 0);
        }
        for (const Entry &entry : Entries) {
            if (!AddListItem(m_combo, entry.Text, entry.Code)) {
                break;
            }
        }
        const int index = SelectCode != 0 ? FindListIndexByData(m_combo, SelectCode) : -1;
        m_combo->setCurrentIndex(m_combo->count() == 0 ? -1 : qMax(index, 0));
    }
    if (m_combo->count() > 0 || ClickWhenEmpty) {
        emit Click();
    }
}

bool RecordsCombo::eventFilter(QObject *Watched, QEvent *Event)
{
    if (Watched == m_combo && Event->type() == QEvent::KeyPress) {
        return InputHelpers::RaiseKeyDown(static_cast<QKeyEvent *>(Event),
                                          [this](qint16 &KeyCode, qint16 &Shift) { emit KeyDown(KeyCode, Shift); });
    }
    return QWidget::eventFilter(Watched, Event);
}
