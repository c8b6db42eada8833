#pragma once

namespace vivrelo {

// Runs the windowed program from start-up to the end of its message loop.
int ProgramMain(int argc, char **argv);

} // namespace vivrelo
