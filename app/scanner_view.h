// The scanner view: the widget of class "com.vondrel.kestrix.scannerview"
// that shows the scanner instance's 640x480 frame buffer, scaled to its
// bounds, and a black rectangle while it has no instance.
#pragma once

#include <QWidget>

struct ScannerInstance;

inline constexpr char kScannerViewClass[] = "com.vondrel.kestrix.scannerview";

struct ScannerView final : public QWidget {
    explicit ScannerView(QWidget* parent = nullptr);

    ScannerInstance* scanner = nullptr; // shown, not owned; null paints black

  protected:
    void paintEvent(QPaintEvent* event) override;
};

// Hands the instance to the view (null takes it away) and redraws.
void SetScannerViewInstance(ScannerView* view, ScannerInstance* instance);
