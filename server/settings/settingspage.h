#pragma once

#include "core/widgets/modeview.h"

#include <QString>
#include <QWidget>

// One page of the settings view. It follows the views' page protocol (Changed, LoadSettings,
// ValidateAndSave) and keeps its own Changed flag: set by the operator's edits, cleared by a load and
// by a successful save. The view shows the page for the tree node of the same key.
class SettingsPage : public QWidget, public ModeView
{
    Q_OBJECT

public:
    // Key: the tree node's key ("ServerSettings"); the page is named after it ("ServerSettingsFrame").
    SettingsPage(const QString &Key, QWidget *parent);

    const QString &Key() const
    {
        return m_key;
    }

    bool Changed() override;
    void SetChanged(bool Value);
    QWidget *Widget() override;

signals:
    // The protocol's event Changed: the operator edited the page (Changed is then true).
    void Edited();

protected:
    // An edit: Changed becomes true and Edited is raised.
    void MarkEdited();

private:
    QString m_key;
    bool m_changed = false;
};
