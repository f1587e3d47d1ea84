// The scanner view paints the frame buffer in place: the QImage wraps the
// instance's pixels (0xAARRGGBB words, Qt's RGB32) without copying them.
#include "app/scanner_view.h"

#include "engine/laser.h"
#include "engine/scanner_instance.h"

#include <QImage>
#include <QPainter>

ScannerView::ScannerView(QWidget* parent) : QWidget(parent) {
    setAttribute(Qt::WA_OpaquePaintEvent); // every paint covers the whole view
}

void ScannerView::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    if (!scanner || !scanner->frameBase) {
        painter.fillRect(rect(), Qt::black);
        return;
    }
    const QImage frame(scanner->frameBase, kFrameWidth, kFrameHeight, scanner->frameRowBytes,
                       QImage::Format_RGB32);
    // The picture keeps its 4:3, centred between black bars.
    QSize shown = frame.size().scaled(size(), Qt::KeepAspectRatio);
    const QRect target(QPoint((width() - shown.width()) / 2, (height() - shown.height()) / 2),
                       shown);
    painter.fillRect(rect(), Qt::black);
    painter.setRenderHint(QPainter::SmoothPixmapTransform, target.size() != frame.size());
    painter.drawImage(target, frame);
}

void SetScannerViewInstance(ScannerView* view, ScannerInstance* instance) {
    if (!view) return;
    view->scanner = instance;
    view->update();
}
