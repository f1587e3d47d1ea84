// zxing-cpp over the benchmark's frames, as a careful user would run it:
// the 1D formats that Kestrix reads, try harder and try rotate, add-ons read,
// Codabar with its start and stop letters, Code 39 full ASCII as labelled.
#define ZX_USE_UTF8 1
#include "bench/photo_readers.h"

#include <ZXing/ReadBarcode.h>

namespace {

PhotoKind KindOf(ZXing::BarcodeFormat format) {
    using ZXing::BarcodeFormat;
    switch (format) {
    case BarcodeFormat::EAN13:
    case BarcodeFormat::UPCA:
    case BarcodeFormat::EAN8:
        return PhotoKind::kEANUPC;
    case BarcodeFormat::UPCE:
        return PhotoKind::kUPCE;
    case BarcodeFormat::Code39:
        return PhotoKind::kCode39;
    case BarcodeFormat::Codabar:
        return PhotoKind::kCodabar;
    default:
        return PhotoKind::kOther;
    }
}

} // namespace

std::optional<PhotoReader> ZxingReader() {
    using ZXing::BarcodeFormat;
    ZXing::DecodeHints hints;
    hints.setFormats(BarcodeFormat::EAN8 | BarcodeFormat::EAN13 | BarcodeFormat::UPCA |
                     BarcodeFormat::UPCE | BarcodeFormat::Codabar | BarcodeFormat::Code39 |
                     BarcodeFormat::Code128 | BarcodeFormat::ITF);
    hints.setTryHarder(true);
    hints.setTryRotate(true);
    hints.setEanAddOnSymbol(ZXing::EanAddOnSymbol::Read);
    hints.setReturnCodabarStartEnd(true);
    hints.setTryCode39ExtendedMode(true);
    // One symbol a picture, as the photographs hold: zxing-cpp 1.4 asserts while
    // merging two results of some pictures.
    hints.setMaxNumberOfSymbols(1);
    return PhotoReader{"zxing-cpp 1.4 (try harder)", [hints](std::span<const std::uint32_t> frame) {
                           std::vector<std::uint8_t> gray = FrameLuminance(frame);
                           ZXing::ImageView image(gray.data(), 640, 480, ZXing::ImageFormat::Lum);
                           std::vector<PhotoRead> reads;
                           for (const ZXing::Result& r : ZXing::ReadBarcodes(image, hints))
                               if (r.isValid())
                                   reads.push_back(NormalisedRead(ZXing::ToString(r.format()),
                                                                  KindOf(r.format()), r.text()));
                           return reads;
                       }};
}
