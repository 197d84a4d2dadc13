#include "core/widgets/guihelpers.h"

#include "core/errorbox.h"

#include <QAbstractItemView>
#include <QApplication>
#include <QComboBox>
#include <QItemSelectionModel>
#include <QListWidget>
#include <QScreen>

namespace
{
template <typename Control, typename DataAt>
qint32 FindByData(const Control *control, qint32 data, DataAt dataAt)
{
    for (int index = 0; index < control->count(); ++index) {
        if (dataAt(index).toInt() == data) {
            return index;
        }
    }
    return -1;
}

QModelIndex FindKey(const QAbstractItemModel *model, const QString &key)
{
    for (int row = 0; row < model->rowCount(); ++row) {
        const QModelIndex index = model->index(row, 0);
        if (index.data(ItemKeyRole).toString() == key) {
            return index;
        }
    }
    return {};
}
} // namespace

bool AddListItem(QComboBox *Control, const QString &Text, qint32 ItemData)
{
    if (Control->count() >= Control->maxCount()) {
        ShowError(QStringLiteral("Ошибка добавления строки в контрол '") + Control->objectName()
                  + QStringLiteral("': список заполнен (не больше ") + QString::number(Control->maxCount())
                  + QStringLiteral(" строк)"));
        return false;
    }
    Control->addItem(Text, ItemData);
    return true;
}

bool AddListItem(QListWidget *Control, const QString &Text, qint32 ItemData)
{
    auto *item = new QListWidgetItem(Text, Control);
    item->setData(Qt::UserRole, ItemData);
    return true;
}

qint32 FindListIndexByData(const QComboBox *Control, qint32 Data)
{
    return FindByData(Control, Data, [Control](int index) { return Control->itemData(index, Qt::UserRole); });
}

qint32 FindListIndexByData(const QListWidget *Control, qint32 Data)
{
    return FindByData(Control, Data, [Control](int index) { return Control->item(index)->data(Qt::UserRole); });
}

void SelectListViewItem(QAbstractItemView *ListView, const QString &Key)
{
    const QAbstractItemModel *model = ListView->model();
    QItemSelectionModel *selection = ListView->selectionModel();
    if (model == nullptr || model->rowCount() == 0) {
        return;
    }
    const auto select = [&](const QModelIndex &index) {
        selection->setCurrentIndex(index, QItemSelectionModel::ClearAndSelect | QItemSelectionModel::Rows);
    };
    if (!Key.isEmpty()) {
        const QModelIndex found = FindKey(model, Key);
        if (found.isValid()) {
            select(found);
        }
    }
    if (Key.isEmpty() || !selection->hasSelection()) {
        select(model->index(0, 0));
    }
    const QModelIndexList selected = selection->selectedRows();
    ListView->scrollTo(selected.isEmpty() ? selection->currentIndex() : selected.first());
}

void CenterForm(QWidget *Form)
{
    const QScreen *screen = Form->screen() != nullptr ? Form->screen() : QGuiApplication::primaryScreen();
    const QRect area = screen->geometry();
    const QSize size = Form->frameGeometry().size();
    Form->move(area.x() + (area.width() - size.width()) / 2, area.y() + (area.height() - size.height()) / 2);
}
