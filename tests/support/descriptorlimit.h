#pragma once

#include <QList>

#include <fcntl.h>
#include <sys/resource.h>
#include <unistd.h>

// The process's soft limit of open descriptors lowered to Limit while the object lives (or until
// Restore); Fill takes every descriptor left, which Restore gives back.
class DescriptorLimit final
{
public:
    explicit DescriptorLimit(rlim_t Limit)
    {
        ::getrlimit(RLIMIT_NOFILE, &m_saved);
        Set(Limit);
    }

    ~DescriptorLimit()
    {
        Restore();
    }

    DescriptorLimit(const DescriptorLimit &) = delete;
    DescriptorLimit &operator=(const DescriptorLimit &) = delete;

    // The lowest descriptor free now: as a limit, it lets the process open no further file.
    static rlim_t LowestFree()
    {
        const int lowest = ::open("/dev/null", O_RDONLY | O_CLOEXEC);
        ::close(lowest);
        return static_cast<rlim_t>(lowest);
    }

    bool Set(rlim_t Limit)
    {
        rlimit lowered = m_saved;
        lowered.rlim_cur = Limit;
        return ::setrlimit(RLIMIT_NOFILE, &lowered) == 0;
    }

    void Fill()
    {
        int fd = -1;
        while ((fd = ::open("/dev/null", O_RDONLY | O_CLOEXEC)) >= 0) {
            m_taken.append(fd);
        }
    }

    void Restore()
    {
        for (const int fd : std::as_const(m_taken)) {
            ::close(fd);
        }
        m_taken.clear();
        ::setrlimit(RLIMIT_NOFILE, &m_saved);
    }

private:
    rlimit m_saved{};
    QList<int> m_taken;
};
