// The Help menu: where the usage is written down, what Kestrix is, and the
// window's icon.
#pragma once

#include <QIcon>
#include <QString>

// Version, licence and the libraries in use, with their running versions.
QString AboutText();
void ShowAbout();
// Opens the README at its part on the desktop program; false when the
// README is not found.
bool OpenUsage();
// The program's icon drawn at the window manager's sizes; empty when the
// icon file is missing.
QIcon KestrixIcon();
