#include "controls/sectionediting.h"

#include "controls/inputhelpers.h"

#include <QDateTimeEdit>
#include <QEvent>
#include <QKeyEvent>
#include <QLineEdit>

namespace
{
// The part of a text of digit runs and separators that Caret stands in: the number of separators
// before it, a caret on a separator's left edge counting as in the part before.
int PartAt(const QString &Text, int Caret)
{
    int part = 0;
    bool inSeparator = false;
    for (const QChar ch : Text.left(Caret)) {
        const bool separator = !ch.isDigit();
        part += separator && !inSeparator ? 1 : 0;
        inSeparator = separator;
    }
    return part;
}

// What an operator types between parts: a mark or a blank, whatever key brings it.
bool IsSeparator(const QString &Text)
{
    return Text.size() == 1 && Text.at(0).isPrint() && !Text.at(0).isLetterOrNumber();
}
} // namespace

SectionEditing::SectionEditing(QDateTimeEdit *Picker)
    : QObject(Picker)
    , m_picker(Picker)
    , m_edit(Picker->findChild<QLineEdit *>(QString(), Qt::FindDirectChildrenOnly))
{
    InputHelpers::SelectPartOnClick(m_edit, [this] { SelectSectionAtCaret(); });
    Picker->installEventFilter(this);
    m_edit->installEventFilter(this);
}

bool SectionEditing::eventFilter(QObject *Watched, QEvent *Event)
{
    switch (Event->type()) {
    case QEvent::KeyPress:
        return Watched == m_picker && OnKey(static_cast<QKeyEvent *>(Event)->text());
    case QEvent::MouseButtonPress:
    case QEvent::FocusIn:
    case QEvent::FocusOut:
        // The part is chosen anew: no move by a digit is pending.
        m_digitSection = NoSection;
        return false;
    default:
        return false;
    }
}

void SectionEditing::SelectSectionAtCaret()
{
    const int part = PartAt(m_edit->text(), m_edit->cursorPosition());
    m_picker->setCurrentSectionIndex(qMin(part, m_picker->sectionCount() - 1));
    m_picker->setSelectedSection(m_picker->currentSection());
}

bool SectionEditing::OnKey(const QString &Text)
{
    const int section = m_picker->currentSectionIndex();
    const bool movedOn = m_digitSection != NoSection && section > m_digitSection;
    m_digitSection = Text.size() == 1 && Text.at(0).isDigit() ? section : NoSection;
    return movedOn && IsSeparator(Text);
}
