#pragma once

#include "Ref.h"

#include <functional>

// A module-level holder of one shared instance: filled by the first Get,
// and only once the instance is fully built, so a failure while building
// leaves it empty and the next Get starts afresh.
template <class T>
class ImplicitInstance {
public:
    Ref<T> Get(const std::function<Ref<T>()>& build)
    {
        if (!instance_)
            instance_ = build();
        return instance_;
    }

    bool IsEmpty() const noexcept { return !instance_; }

    // Empties the holder first, then drops its reference, so that whatever
    // the release runs never sees a half-emptied holder.
    void Exit() noexcept
    {
        Ref<T> held = std::move(instance_);
        instance_ = nullptr;
        held.Release();
    }

private:
    Ref<T> instance_;
};
