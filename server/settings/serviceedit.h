#pragma once

#include "settings/recordeditor.h"

#include <memory>

namespace Ui
{
class ServiceEdit;
}

// The editor of one service type: its name and the price of one unit. It has no check of its own:
// the data-entity library refuses what the table does not take (an empty name).
class ServiceEdit final : public RecordEditor
{
    Q_OBJECT

public:
    explicit ServiceEdit(QWidget *Parent = nullptr);
    ~ServiceEdit() override;

protected:
    QList<QObject *> Inputs() const override;
    void ShowRecord(const Rollstrake::DBRecord *Record) override;
    void WriteRecord(Rollstrake::DBRecord &Record) const override;

private:
    const std::unique_ptr<Ui::ServiceEdit> m_ui;
};
