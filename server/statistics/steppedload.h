#pragma once

#include <QString>

// A load from the database read one slice at a time, so that the window keeps answering between
// the slices: a report list's or the occupancy chart's.
class SteppedLoad
{
public:
    SteppedLoad() = default;
    virtual ~SteppedLoad() = default;
    SteppedLoad(const SteppedLoad &) = delete;
    SteppedLoad &operator=(const SteppedLoad &) = delete;

    // Reads the next slice; false with the reason when the load cannot go on (it is then done).
    virtual bool Step(QString &ErrString) = 0;
    virtual bool Done() const = 0;
    // The share of the work done, 0 to 1.
    virtual double Progress() const = 0;
};
