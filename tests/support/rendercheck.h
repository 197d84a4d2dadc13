#pragma once

#include <QDir>
#include <QPixmap>
#include <QWidget>

// Draws a control as it is on screen. When QM_RENDER_DIR names a folder the picture is kept
// there as <Name>.png, for a person to look at; the result tells whether anything was drawn.
inline bool RenderControl(QWidget *Control, const QString &Name)
{
    // A smaller picture is no drawing of a control.
    constexpr int MinPictureSide = 8;
    Control->ensurePolished();
    const QPixmap picture = Control->grab();
    if (picture.isNull() || picture.width() < MinPictureSide || picture.height() < MinPictureSide) {
        return false;
    }
    const QString folder = qEnvironmentVariable("QM_RENDER_DIR");
    return folder.isEmpty() || picture.save(QDir(folder).filePath(Name + QStringLiteral(".png")));
}
