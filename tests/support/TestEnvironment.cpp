#include "support/TestEnvironment.h"

#include <cstdlib>
#include <ctime>

namespace vivrelo::test {

void SetTestEnvironment()
{
    setenv("LC_ALL", "C.UTF-8", 1);
    setenv("LANG", "C.UTF-8", 1);
    unsetenv("LANGUAGE");
    setenv("TZ", "UTC", 1);
    tzset();
    const char *platform = std::getenv("QT_QPA_PLATFORM");
    if (!platform || !*platform)
        setenv("QT_QPA_PLATFORM", "offscreen", 1);
}

} // namespace vivrelo::test
