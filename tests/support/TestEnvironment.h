#pragma once

namespace vivrelo::test {

// Gives every test program the same surroundings whatever the calling shell has: the C
// locale with UTF-8 file names, universal time, and the offscreen window platform unless the
// caller chose another. Called first in main(), before Qt or the C library reads them; the
// programs the tests start inherit them.
void SetTestEnvironment();

} // namespace vivrelo::test
