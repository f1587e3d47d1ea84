// Stand-ins for a peer whose library was not found at configure time.
#include "bench/photo_readers.h"

#ifndef KESTRIX_HAVE_ZBAR
std::optional<PhotoReader> ZbarReader() {
    return std::nullopt;
}
#endif
#ifndef KESTRIX_HAVE_ZXING
std::optional<PhotoReader> ZxingReader() {
    return std::nullopt;
}
#endif
