#include "desktops/desktopframe.h"

#include "controls/smartcontrolscontainer.h"
#include "core/widgets/registryserilize.h"
#include "desktops/desktopedit.h"
#include "desktops/desktopstree.h"

#include <QVBoxLayout>

namespace
{
const QString SeparatorKey = QStringLiteral("DesktopSeparator");
// Where the separator starts before the operator has moved it: room for the desktops' names.
constexpr qint32 FirstTreeWidth = 3600;
} // namespace

DesktopFrame::DesktopFrame(QWidget *parent)
    : QWidget(parent)
    , m_container(new SmartControlsContainer(this))
    , m_tree(new DesktopsTree(m_container))
    , m_editor(new DesktopEdit(m_container))
{
    m_container->setObjectName(QStringLiteral("Container"));
    m_container->SetRegKeyName(SeparatorKey);
    m_tree->setObjectName(QStringLiteral("DesktopsTree"));
    m_tree->setProperty("Tag", QStringLiteral("Position=Left;MinSize=1455;"));
    m_editor->setObjectName(QStringLiteral("DesktopEdit"));
    m_editor->setProperty("Tag", QStringLiteral("Position=Right;MinSize=2500;"));
    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(m_container);
    m_container->Init();

    connect(m_tree, &DesktopsTree::DesktopSelected, m_editor, &DesktopEdit::SwitchDesktop);
    connect(m_tree, &DesktopsTree::DesktopDeleted, m_editor, &DesktopEdit::DesktopDeleted);
    connect(m_tree, &DesktopsTree::Modified, this, &DesktopFrame::Modified);
    connect(m_editor, &DesktopEdit::Modified, this, &DesktopFrame::Modified);
}

bool DesktopFrame::Changed()
{
    return m_tree->Changed() || m_editor->Changed();
}

void DesktopFrame::LoadSettings()
{
    if (m_loaded) {
        return;
    }
    m_loaded = true;
    m_tree->FillTree();
    m_editor->LoadShortcuts();
}

bool DesktopFrame::ValidateAndSave()
{
    const bool treeSaved = m_tree->ValidateAndSave();
    const bool editorSaved = m_editor->ValidateAndSave();
    m_container->StoreWidth();
    if (treeSaved && editorSaved) {
        emit DesktopsChanged();
        return true;
    }
    return false;
}

void DesktopFrame::resizeEvent(QResizeEvent *Event)
{
    QWidget::resizeEvent(Event);
    if (!m_separatorPlaced && !size().isEmpty()) {
        m_separatorPlaced = true;
        if (RegistrySerilize::GetContainerValue(SeparatorKey).isEmpty()) {
            m_container->SetSplitPos(FirstTreeWidth);
        }
    }
}

void DesktopFrame::StoreLayout()
{
    // Until the view had its size the bar stands where no operator put it, and storing it would
    // lose the first start's room for the desktops' names.
    if (m_separatorPlaced) {
        m_container->StoreWidth();
    }
}

QWidget *DesktopFrame::Widget()
{
    return this;
}
