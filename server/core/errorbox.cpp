#include "core/errorbox.h"

#include "core/mainlog.h"

namespace
{
BoxPresenter &CurrentPresenter()
{
    static BoxPresenter presenter;
    return presenter;
}
} // namespace

void SetBoxPresenter(BoxPresenter Presenter)
{
    CurrentPresenter() = std::move(Presenter);
}

void ShowBox(BoxIcon Icon, const QString &Title, const QString &Text)
{
    if (CurrentPresenter()) {
        CurrentPresenter()(Icon, Title, Text);
        return;
    }
    MainLog().Log(Text, Logger::KindError);
}

void ShowError(const QString &Text)
{
    ShowBox(BoxIcon::Critical, QStringLiteral("Внимание!"), Text);
}
