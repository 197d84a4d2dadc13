#include "steadyclock.h"

#include <atomic>
#include <chrono>

namespace SteadyClock
{
namespace
{
std::atomic<qint64> &Offset()
{
    static std::atomic<qint64> offset{0};
    return offset;
}
} // namespace

qint64 NowMs()
{
    const auto now = std::chrono::steady_clock::now().time_since_epoch();
    return std::chrono::duration_cast<std::chrono::milliseconds>(now).count() + Offset().load();
}

void Advance(qint64 Ms)
{
    Offset() += Ms;
}
} // namespace SteadyClock
