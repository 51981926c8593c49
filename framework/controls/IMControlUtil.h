// Small helpers of the control kinds and their users.
#pragma once

#include <cstdint>
#include <functional>
#include <string>

// The decimal text of the number ("103" for 103): the names of textures and
// sounds that are resource numbers.
std::wstring IntToWString(std::uint32_t value);

// Calls f with each element of [first, last) followed by the further
// arguments, in order. Every element is visited; the result is true when
// any call returned true. f may be a pointer to a member function, the
// element then being the object (or a pointer to it).
template <class Iterator, class Function, class... Arguments>
bool ApplyToAll(Iterator first, Iterator last, Function f, const Arguments&... arguments)
{
    bool any = false;
    for (; first != last; ++first)
        if (std::invoke(f, *first, arguments...))
            any = true;
    return any;
}
