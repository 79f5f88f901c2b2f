// What the sound server (the test PulseAudio server of scripts/test) plays
// for this process: tests check that sound really reaches it, and that none
// is left once it should have stopped.
#pragma once

// The playback streams of this process on the server, as `pactl list
// sink-inputs` shows them (by their application.process.id); -1 when pactl
// cannot reach a server.
int OurSinkInputs();

// Waits up to `timeoutMs` until OurSinkInputs() is `count`; false if it never is.
bool WaitForOurSinkInputs(int count, int timeoutMs = 3000);
