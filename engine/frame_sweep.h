// The whole-frame sweep for pictures and video files: in the live scanner
// the aiming target shows where to hold a code, and every laser crosses the
// frame's centre; a photograph has its code anywhere. With 'hard' on, the
// sweep lays parallel scan lines across the whole frame, 8 pixels apart
// across and along it and 16 pixels apart at 45 and 135 degrees, reads each
// in both directions with the harder reading's rules and its mean threshold,
// and delivers a text that two distinct lines read (a line of the sweep, or
// one a few pixels beside a line that read it).
#pragma once

struct ScannerInstance;

// One sweep of the frame in the frame buffer. Does nothing while a hold
// runs, with 'hard' off, or when no scan line could be made; an accepted
// read starts the hold as any other.
void SweepWholeFrame(ScannerInstance* instance);
