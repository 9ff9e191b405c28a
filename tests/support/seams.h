// Points one of the program's seams elsewhere for a scope, and puts the
// platform's own back however the scope ends.
#pragma once

#include <type_traits>

template <typename T>
struct ScopedOverride {
    T &slot;
    T saved;
    ScopedOverride(T &overridden, std::type_identity_t<T> value) : slot(overridden), saved(overridden)
    {
        slot = value;
    }
    ~ScopedOverride() { slot = saved; }
    ScopedOverride(const ScopedOverride &) = delete;
    ScopedOverride &operator=(const ScopedOverride &) = delete;
};
