#pragma once

#include <QString>

#include <functional>

// The operator's message boxes as the widget-free core asks for them. The window layer installs the
// real boxes at start; until then (a program or test without windows) a box's text goes to the main
// log as an error line, so nothing the operator was to read is lost.
enum class BoxIcon
{
    Critical,
    Information,
};

using BoxPresenter = std::function<void(BoxIcon Icon, const QString &Title, const QString &Text)>;

// Replaces the boxes; an empty presenter goes back to the main log.
void SetBoxPresenter(BoxPresenter Presenter);

// A modal box with one OK button.
void ShowBox(BoxIcon Icon, const QString &Title, const QString &Text);

// The modal error box: Text, a critical icon, one OK button, the title "Внимание!".
void ShowError(const QString &Text);
