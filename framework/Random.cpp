#include "Random.h"

#include "Exceptions.h"

Random::Random()
    : seed_(static_cast<Int32>(std::random_device {}()))
    , engine_(static_cast<std::uint32_t>(seed_))
{
}

const ClassRecord& Random::Class()
{
    static const ClassRecord& record = ClassRegistry::Register(ClassRecordBuilder("Random", &Object::Class())
                                                                   .AddVirtual("InRange", "(low As Int32, high As Int32) As Int32")
                                                                   .Build());
    return record;
}

void Random::Seed(Int32 seed)
{
    seed_ = seed;
    engine_.seed(static_cast<std::uint32_t>(seed));
}

Int32 Random::InRange(Int32 low, Int32 high)
{
    if (low > high)
        Raise<OutOfBoundsException>("InRange(" + std::to_string(low) + ", " + std::to_string(high)
                                    + "): the lower bound is above the upper bound");
    return std::uniform_int_distribution<Int32>(low, high)(engine_);
}
