#pragma once

#include <QDir>
#include <QPixmap>
#include <QWidget>

// Draws a control as it is on screen. When QM_RENDER_DIR names a folder the picture is kept
// there as <Name>.png, for a person to look at; the result tells whether anything was drawn.
inline bool RenderControl(QWidget *Control, const QString &Name)
{
    Control->ensurePolished();
    const QPixmap picture = Control->grab();
    if (picture.isNull() || picture.width() < 8 || picture.height() < 8) {
        return false;
    }
    const QString folder = qEnvironmentVariable("QM_RENDER_DIR");
    return folder.isEmpty() || picture.save(QDir(folder).filePath(Name + QStringLiteral(".png")));
}
