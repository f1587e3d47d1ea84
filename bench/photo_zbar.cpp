// zbar over the benchmark's frames: the 1D symbologies that Kestrix reads,
// EAN/UPC add-ons on; ISBN forms off so that the EAN-13 stays as printed.
#include "bench/photo_readers.h"

#include <zbar.h>

#include <memory>

using namespace zbar;

namespace {

struct ScannerDeleter {
    void operator()(zbar_image_scanner_t* s) const { zbar_image_scanner_destroy(s); }
};
struct ImageDeleter {
    void operator()(zbar_image_t* i) const {
        zbar_image_set_data(i, nullptr, 0, nullptr); // the data belongs to the caller
        zbar_image_destroy(i);
    }
};

PhotoKind KindOf(zbar_symbol_type_t type) {
    switch (type) {
    case ZBAR_EAN13:
    case ZBAR_UPCA:
    case ZBAR_EAN8:
        return PhotoKind::kEANUPC;
    case ZBAR_UPCE:
        return PhotoKind::kUPCE;
    case ZBAR_CODE39:
        return PhotoKind::kCode39;
    case ZBAR_CODABAR:
        return PhotoKind::kCodabar;
    default:
        return PhotoKind::kOther;
    }
}

} // namespace

std::optional<PhotoReader> ZbarReader() {
    auto scanner =
        std::shared_ptr<zbar_image_scanner_t>(zbar_image_scanner_create(), ScannerDeleter());
    zbar_image_scanner_set_config(scanner.get(), ZBAR_NONE, ZBAR_CFG_ENABLE, 0);
    for (zbar_symbol_type_t type : {ZBAR_EAN13, ZBAR_UPCA, ZBAR_EAN8, ZBAR_UPCE, ZBAR_EAN2,
                                    ZBAR_EAN5, ZBAR_I25, ZBAR_CODABAR, ZBAR_CODE39, ZBAR_CODE128})
        zbar_image_scanner_set_config(scanner.get(), type, ZBAR_CFG_ENABLE, 1);
    return PhotoReader{"zbar 0.23", [scanner](std::span<const std::uint32_t> frame) {
                           std::vector<std::uint8_t> gray = FrameLuminance(frame);
                           std::unique_ptr<zbar_image_t, ImageDeleter> image(zbar_image_create());
                           zbar_image_set_format(image.get(), zbar_fourcc('Y', '8', '0', '0'));
                           zbar_image_set_size(image.get(), 640, 480);
                           zbar_image_set_data(image.get(), gray.data(), gray.size(), nullptr);
                           zbar_scan_image(scanner.get(), image.get());
                           std::vector<PhotoRead> reads;
                           std::string addOn;
                           for (const zbar_symbol_t* s = zbar_image_first_symbol(image.get()); s;
                                s = zbar_symbol_next(s)) {
                               zbar_symbol_type_t type = zbar_symbol_get_type(s);
                               std::string text = zbar_symbol_get_data(s);
                               if (type == ZBAR_EAN2 || type == ZBAR_EAN5) {
                                   addOn = text;
                                   continue;
                               }
                               reads.push_back(
                                   NormalisedRead(zbar_get_symbol_name(type), KindOf(type), text));
                           }
                           // An add-on comes as a symbol of its own: give it to the
                           // EAN/UPC reads of the same picture.
                           if (!addOn.empty())
                               for (PhotoRead& r : reads)
                                   if (r.main.size() == 13 && r.addOn.empty()) r.addOn = addOn;
                           return reads;
                       }};
}
