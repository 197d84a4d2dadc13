#pragma once

#include "core/widgets/modeview.h"

#include <QWidget>

// A view of the main window whose answers the test sets: pending changes, and whether saving them
// succeeds. It counts what the window asks of it.
class TestView : public QWidget, public ModeView
{
public:
    bool HasChanges = false;
    bool Valid = true;
    int Loads = 0;
    int Saves = 0;

    bool Changed() override
    {
        return HasChanges;
    }

    void LoadSettings() override
    {
        ++Loads;
    }

    bool ValidateAndSave() override
    {
        ++Saves;
        if (Valid) {
            HasChanges = false;
        }
        return Valid;
    }

    QWidget *Widget() override
    {
        return this;
    }
};
