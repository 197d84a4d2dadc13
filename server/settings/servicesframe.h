#pragma once

#include "core/widgets/modeview.h"

#include <QWidget>

#include <memory>

namespace Ui
{
class ServicesFrame;
}

// The operator's view of service sales: a service type, a number of units and a comment make one
// sale, stored at once when it is added. The view never holds unsaved changes.
class ServicesFrame final : public QWidget, public ModeView
{
    Q_OBJECT

public:
    explicit ServicesFrame(QWidget *parent = nullptr);
    ~ServicesFrame() override;

    // Always false.
    bool Changed() override;
    // The service types again behind a blank entry (no type), the type chosen kept while it exists.
    void LoadSettings() override;
    // Always true: a sale is stored as it is added.
    bool ValidateAndSave() override;
    QWidget *Widget() override;

    // Asks "Добавить услугу?", then stores the sale and clears the view; a refusal of the database is
    // shown and keeps the input.
    void AddService();
    // The blank entry, no units, no comment, and the focus on the service types.
    void Clear();

private:
    // Adding needs a type and a number of units; clearing needs anything entered.
    void UpdateButtons();

    const std::unique_ptr<Ui::ServicesFrame> m_ui;
};
