#pragma once

#include <QApplication>
#include <QTimer>

#include <functional>

// Answers the next modal dialog of type Dialog from a zero-delay timer, as the operator would:
// Answer fills it and clicks its buttons. A dialog that does not come is not waited for.
template <typename Dialog>
void AnswerDialog(std::function<void(Dialog *)> Answer)
{
    QTimer::singleShot(0, qApp, [Answer] {
        if (auto *dialog = qobject_cast<Dialog *>(QApplication::activeModalWidget())) {
            Answer(dialog);
        }
    });
}
