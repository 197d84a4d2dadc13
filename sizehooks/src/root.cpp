#include "sizehooks.h"

namespace Gantrelby
{
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
    m_hookedWindows.reset();
    if (CurrentRoot == this) {
        CurrentRoot = nullptr;
    }
}

std::shared_ptr<HookedWindows> Root::HookedWindows()
{
    if (!m_hookedWindows) {
        m_hookedWindows = std::make_shared<Gantrelby::HookedWindows>();
    }
    return m_hookedWindows;
}

void Root::SetHookedWindows(std::shared_ptr<Gantrelby::HookedWindows> Value)
{
    m_hookedWindows = std::move(Value);
}

Root *Root::Current()
{
    return CurrentRoot;
}
} // namespace Gantrelby
