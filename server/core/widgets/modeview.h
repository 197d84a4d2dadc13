#pragma once

class QWidget;

// The page protocol of every view of the main window: the window asks a view for unsaved changes,
// has it fill itself each time it is shown, and has it check and store its changes before the
// operator may leave it or close the window.
class ModeView
{
public:
    virtual ~ModeView() = default;

    // The view holds unsaved changes.
    virtual bool Changed() = 0;
    // Fills the view from the database; called each time the view is shown.
    virtual void LoadSettings() = 0;
    // Checks and stores the changes; false keeps them and the view (the view has told the
    // operator why).
    virtual bool ValidateAndSave() = 0;
    // The widget that shows the view.
    virtual QWidget *Widget() = 0;

    // Keeps the view's layout (separators, list columns) for the next run; the window calls it as it
    // closes, whether or not the view was shown or saved.
    virtual void StoreLayout() {}
};
