#pragma once

#include "gantrelby_export.h"
#include "hookedwindows.h"

#include <memory>

// The library's entry object. The most recently created Root is the current one: every hooked
// window finds its limits through the current root's HookedWindows.
class GANTRELBY_EXPORT Root final
{
public:
    Root();
    ~Root();
    Root(const Root &) = delete;
    Root &operator=(const Root &) = delete;

    // Made empty on the first read and kept.
    std::shared_ptr<::HookedWindows> HookedWindows();
    void SetHookedWindows(std::shared_ptr<::HookedWindows> Value);

    // Null when no Root is alive.
    static Root *Current();

private:
    std::shared_ptr<::HookedWindows> m_HookedWindows;
};
