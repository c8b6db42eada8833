#pragma once

#include "base/Error.h"

#include <QString>

#include <functional>

namespace vivrelo::test {

// The message of the Error that `f` throws; an empty text when it throws none.
inline QString MessageOf(const std::function<void()> &f)
{
    try {
        f();
    } catch (const Error &e) {
        return e.message();
    }
    return {};
}

} // namespace vivrelo::test
