#pragma once

#include "core/widgets/modeview.h"

#include <QWidget>

// The night view: a view of the window without a tab, never shown, with nothing to load or save.
class NightFrame final : public QWidget, public ModeView
{
    Q_OBJECT

public:
    explicit NightFrame(QWidget *parent = nullptr);

    bool Changed() override;
    void LoadSettings() override;
    bool ValidateAndSave() override;
    QWidget *Widget() override;
};
