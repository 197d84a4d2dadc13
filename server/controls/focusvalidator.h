#pragma once

#include <QObject>

class QWidget;

// The cancellable validation of an input as the focus leaves it: raises Validate(Cancel), and a
// handler that sets Cancel brings the focus back. Dialogs call ValidateFocusWidget before they
// apply, so that what is typed in the input holding the focus is checked and taken first.
class FocusValidator final : public QObject
{
    Q_OBJECT

public:
    // Watches Editor, the inner control that takes the focus; owned by it.
    explicit FocusValidator(QWidget *Editor);

    // Raises Validate now; false when a handler cancelled.
    bool Run();

    // Takes what is typed into the input that holds the focus and validates it, if it has a
    // validator; false when cancelled.
    static bool ValidateFocusWidget();

signals:
    void Validate(bool &Cancel);

protected:
    bool eventFilter(QObject *Watched, QEvent *Event) override;

private:
    void TakeFocusBack();

    QWidget *m_editor;
};
