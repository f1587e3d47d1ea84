// The text of kestrix-scan --help.
#include "cli/options.h"

std::string_view HelpText() {
    return R"(Usage: kestrix-scan [OPTION]... FILE...
  or:  kestrix-scan [OPTION]... --source [PIPELINE]
Reads the barcodes in image and video files with the Kestrix scan engine.
A FILE of - is standard input (kestrix-scan - < scan.tif).

Pictures (PNG, JPEG, TIFF, BMP, GIF, WebP, HEIC, AVIF, SVG, PNM, ICO, XPM,
TGA), told by their first bytes, are decoded with GdkPixbuf; an animated GIF
is read picture by picture, as a video. Everything else (MP4, AVI, ... video)
is decoded with GStreamer. Every frame is stretched to 640x480, as the
camera's picture is. The engine sees the frames as it sees a live camera at
30 frames a second: one scan per frame, a turn of its ten laser patterns every
ten frames. A still image is shown for one full turn (ten frames). Each file
is scanned by a fresh scanner, so one file's reads never affect the next.

Every accepted read is printed on its own line as NAME:TEXT, for example
  EAN-13:4006381333931
A GS1-128 symbol (a Code 128 that starts with FNC1) is printed as under its
bars, GS1-128:(10)AB12(21)XY. A Code 39 space reads as "_", as Code 39
labels print it; the control characters of Code 128 read as spaces.
A barcode that stays in view of a video is read again about every 2 seconds,
as the desktop scanner reads it again.

Options:
  --enable KEYS       turn on the symbologies named by KEYS
  --disable KEYS      turn them off
                      KEYS is a comma-separated list of settings keys:
                        ean8  EAN-8     (on by default)
                        ean1  EAN-13    (on)
                        upca  UPC-A     (on)
                        upce  UPC-E     (on)
                        coda  Codabar   (off)
                        cd39  Code 39   (off)
                        c128  Code 128  (off)
                        i2o5  2 of 5    (off; Interleaved 2 of 5)
                        cd32  Code 32   (off): Italian pharmacy codes,
                              printed as Code 39; a six-character Code 39
                              whose number checks then reads as Code 32
                        all   all of them
                        hard  Try harder (on): read again what the first
                              reading misses (codes at the picture's
                              edge, blurred, curved or in perspective) and
                              look over the whole picture; its reads must
                              be seen twice. Not part of all.
                      Switches apply in order: --disable all --enable c128
                      reads Code 128 only.
  --supplement MODE   two- and five-digit add-ons of EAN-13 and UPC-A:
                        igno  ignore them (default)
                        requ  require one: a symbol without an add-on is
                              not reported
                        opti  report an add-on when there is one
                      An add-on follows the main digits after one space.
  --json              print one JSON object per read instead of NAME:TEXT:
                        {"file":"a.png","frame":0,"symbology":"ean1",
                         "name":"EAN-13","text":"4006381333931"}
                      file: the file as given; frame: the file's frame in
                      which the read was accepted, counted from 0 (0 for a
                      still image); symbology: the symbology's code (the
                      settings key); name: its display name; text: the code.
                      A GS1-128 read (symbology g128) also has elements:
                      its element string, ASCII 29 between elements.
  --raw               print each read's text alone, one per line
  --verbose, -v       after a file's or a source's trouble in plain words,
                      add the decoding library's own words in [brackets]
  --csv               print the reads as CSV (RFC 4180, UTF-8) with a header
                      row: time (ISO 8601 with the offset from UTC),
                      symbology, text, delivery ("shown"), the columns of
                      the desktop program's history export
  --source [PIPELINE] scan live video instead of files, at its own pace,
                      until it ends or Ctrl+C: the camera that the desktop
                      program uses, or a GStreamer source description such
                      as "videotestsrc" or "filesrc location=a.avi ! decodebin"
  --snapshot-dir DIR  with --source: save the frame of each read, with the
                      aiming target and the confirmation box, as a PNG in DIR
  -h, --help          show this help and exit
  --version           show the version and exit
  --                  end of options: every later argument is a file

A file that cannot be opened or decoded is reported on standard error, on one
line naming the file and the reason, and the other files are still scanned.
A cut JPEG or WebP is scanned for what it holds and said to be incomplete.
A name holding control characters is shown quoted, as ls shows it.

Exit status:
  0  at least one barcode was read
  4  nothing was read (this includes files that could not be decoded and a
     source that could not be opened)
  2  the command line was wrong
)";
}
