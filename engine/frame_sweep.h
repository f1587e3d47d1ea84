// The whole-frame sweep for pictures and video files: in the live scanner
// the aiming target shows where to hold a code, and every laser crosses the
// frame's centre; a photograph has its code anywhere. With 'hard' on, the
// sweep lays parallel scan lines across the whole frame (rows 6 pixels
// apart, columns 8 pixels apart, lines at 45 and 135 degrees some 16 pixels
// apart), reads each in both directions with the harder reading's rules and
// its mean threshold, and delivers a text that two distinct lines read (a
// line of the sweep, or one a few pixels beside a line that read it).
#pragma once

struct ScannerInstance;

// One sweep of the frame in the frame buffer. Does nothing while a hold
// runs, with 'hard' off, or when no scan line could be made; an accepted
// read starts the hold as any other.
void SweepWholeFrame(ScannerInstance* instance);

// On a live frame whose aimed lasers read nothing: one slice of the same
// sweep (every tenth line), so the whole picture is searched over ten
// frames. What the lines read is kept across frames and delivered when two
// distinct lines have read it within kConfirmWindowTicks; older sightings
// are dropped, and all of them when a read is accepted (sweep_sightings.h).
void SweepFrameSlice(ScannerInstance* instance);
