#include "controls/focusvalidator.h"

#include <QAbstractSpinBox>
#include <QApplication>
#include <QFocusEvent>
#include <QPointer>
#include <QTimer>
#include <QWidget>

namespace
{
// Set while a cancelled input takes the focus back, so the control it is taken from is not validated.
bool TakingBack = false;
} // namespace

FocusValidator::FocusValidator(QWidget *Editor)
    : QObject(Editor)
    , m_editor(Editor)
{
    Editor->installEventFilter(this);
}

bool FocusValidator::Run()
{
    // A spin box takes what is typed only as it loses the focus, after this check would run.
    if (auto *spinBox = qobject_cast<QAbstractSpinBox *>(m_editor)) {
        spinBox->interpretText();
    }
    bool cancel = false;
    emit Validate(cancel);
    return !cancel;
}

bool FocusValidator::ValidateFocusWidget()
{
    QWidget *focus = QApplication::focusWidget();
    if (auto *spinBox = qobject_cast<QAbstractSpinBox *>(focus)) {
        spinBox->interpretText();
    }
    auto *validator = focus ? focus->findChild<FocusValidator *>(QString(), Qt::FindDirectChildrenOnly) : nullptr;
    return validator ? validator->Run() : true;
}

bool FocusValidator::eventFilter(QObject *, QEvent *Event)
{
    if (Event->type() != QEvent::FocusOut || TakingBack) {
        return false;
    }
    const Qt::FocusReason reason = static_cast<QFocusEvent *>(Event)->reason();
    if (reason == Qt::PopupFocusReason || reason == Qt::ActiveWindowFocusReason) {
        return false;
    }
    if (!Run()) {
        TakeFocusBack();
    }
    return false;
}

void FocusValidator::TakeFocusBack()
{
    const QPointer<QWidget> editor = m_editor;
    QTimer::singleShot(0, editor, [editor] {
        TakingBack = true;
        editor->setFocus(Qt::OtherFocusReason);
        TakingBack = false;
    });
}
