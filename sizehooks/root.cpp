#include "root.h"

namespace
{
Root *CurrentRoot = nullptr;
} // namespace

Root::Root()
{
    CurrentRoot = this;
}

Root::~Root()
{
    m_HookedWindows.reset();
    if (CurrentRoot == this) {
        CurrentRoot = nullptr;
    }
}

std::shared_ptr<HookedWindows> Root::HookedWindows()
{
    if (!m_HookedWindows) {
        m_HookedWindows = std::make_shared<::HookedWindows>();
    }
    return m_HookedWindows;
}

void Root::SetHookedWindows(std::shared_ptr<::HookedWindows> Value)
{
    m_HookedWindows = std::move(Value);
}

Root *Root::Current()
{
    return CurrentRoot;
}
