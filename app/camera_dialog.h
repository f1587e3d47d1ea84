// The camera settings dialog: the cameras found, and the chosen camera's
// controls as sliders, checkboxes and menus. Changes apply at once; OK keeps
// them, Cancel puts back the camera and the values it opened with.
#pragma once

struct ScannerInstance;

void RunCameraSettingsDialog(ScannerInstance* instance);
