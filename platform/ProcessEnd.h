// Ending the program.
#pragma once

// Flushes what is buffered for standard output and error, then ends the
// process at once with `status`. Static destructors are skipped on purpose:
// Qt's PulseAudio engine, torn down at exit after sound was played, can abort
// inside libpulse, turning a clean end into a crash.
[[noreturn]] void EndProcess(int status);
