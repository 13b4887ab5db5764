#pragma once

#include "Object.h"

#include <random>

// The framework's pseudo-random generator. A new one is seeded by the
// framework from the system's entropy; Seed lets tests fix a sequence.
class Random : public Object {
public:
    Random();
    static const ClassRecord& Class();
    const ClassRecord& ClassInfo() const override { return Class(); }

    // A number from low to high, both included; low above high raises
    // OutOfBoundsException.
    virtual Int32 InRange(Int32 low, Int32 high);

    Int32 Seed() const noexcept { return seed_; }
    void Seed(Int32 seed);

private:
    Int32 seed_;
    std::mt19937 engine_;
};
