// GdkPixbuf's incremental loader is fed the file in blocks, so a picture
// is refused as soon as its header claims an unreasonable size, before any
// pixel memory is taken.
#include "video/still_image.h"

#include "video/frame_stretch.h"

#include <gdk-pixbuf/gdk-pixbuf.h>

#include <algorithm>
#include <array>
#include <cerrno>
#include <cstring>
#include <memory>
#include <unistd.h>
#include <vector>

namespace {

constexpr std::size_t kBlockBytes = 64 * 1024;

struct ObjectDeleter {
    void operator()(GdkPixbufLoader* loader) const { g_object_unref(loader); }
};
struct ErrorDeleter {
    void operator()(GError* error) const { g_error_free(error); }
};
using LoaderPtr = std::unique_ptr<GdkPixbufLoader, ObjectDeleter>;
using ErrorPtr = std::unique_ptr<GError, ErrorDeleter>;

// What the decoder said about the picture while it was fed.
struct Progress {
    int width = 0;
    int height = 0;
    bool tooLarge = false;
    std::vector<bool> rowsDecoded; // a file that ends early leaves rows out
};

// "size-prepared": a size of 0x0 tells the decoder to stop without
// allocating the picture.
void OnSizePrepared(GdkPixbufLoader* loader, int width, int height, gpointer data) {
    auto* progress = static_cast<Progress*>(data);
    progress->width = width;
    progress->height = height;
    if (width <= 0 || height <= 0 ||
        std::uint64_t(width) * std::uint64_t(height) > kMaxStillPixels) {
        progress->tooLarge = true;
        gdk_pixbuf_loader_set_size(loader, 0, 0);
        return;
    }
    // Some decoders say so again with every block; the rows stay counted.
    if (progress->rowsDecoded.size() != std::size_t(height))
        progress->rowsDecoded.assign(std::size_t(height), false);
}

// "area-updated": rows the decoder has filled in.
void OnAreaUpdated(GdkPixbufLoader*, int, int y, int, int rows, gpointer data) {
    auto& decoded = static_cast<Progress*>(data)->rowsDecoded;
    const int end = std::min(y + rows, int(decoded.size()));
    for (int row = std::max(y, 0); row < end; ++row) decoded[std::size_t(row)] = true;
}

std::string Describe(const GError* error, const StillFormat& format) {
    const std::string name(format.name);
    if (error && error->domain == GDK_PIXBUF_ERROR) {
        if (error->code == GDK_PIXBUF_ERROR_INSUFFICIENT_MEMORY)
            return "not enough memory to open this " + name + " picture";
        if (error->code == GDK_PIXBUF_ERROR_UNKNOWN_TYPE &&
            std::strstr(error->message, "olor space"))
            return "the colours of this " + name + " file could not be converted";
        if (error->code == GDK_PIXBUF_ERROR_UNKNOWN_TYPE &&
            std::strstr(error->message, "nrecognized"))
            return "no decoder for " + name + " pictures is installed";
    }
    if (error && std::strstr(error->message, "not supported"))
        return "a kind of " + name + " file that cannot be decoded";
    return "damaged " + name + " file";
}

} // namespace

bool ReadStillImage(int fd, const StillFormat& format, std::span<std::uint32_t> frame,
                    std::size_t rowPixels, std::string& error) {
    const std::string type(format.pixbufType);
    GError* rawError = nullptr;
    LoaderPtr loader(gdk_pixbuf_loader_new_with_type(type.c_str(), &rawError));
    ErrorPtr loadError(rawError);
    if (!loader) {
        error = "no decoder for " + std::string(format.name) + " pictures is installed";
        return false;
    }
    Progress progress;
    g_signal_connect(loader.get(), "size-prepared", G_CALLBACK(OnSizePrepared), &progress);
    g_signal_connect(loader.get(), "area-updated", G_CALLBACK(OnAreaUpdated), &progress);

    std::array<guchar, kBlockBytes> block;
    bool fed = true;
    while (fed && !progress.tooLarge) {
        const ssize_t n = read(fd, block.data(), block.size());
        if (n < 0 && errno == EINTR) continue;
        if (n < 0) {
            error = std::string("cannot be read (") + std::strerror(errno) + ")";
            gdk_pixbuf_loader_close(loader.get(), nullptr);
            return false;
        }
        if (n == 0) break;
        rawError = nullptr;
        fed = gdk_pixbuf_loader_write(loader.get(), block.data(), gsize(n), &rawError);
        loadError.reset(rawError);
    }
    // Closing tells a truncated file from a whole one; after an error it
    // only releases the decoder.
    rawError = nullptr;
    const bool closed = gdk_pixbuf_loader_close(loader.get(), fed ? &rawError : nullptr);
    if (fed) loadError.reset(rawError);
    const std::string name(format.name);
    if (progress.tooLarge) {
        error = progress.width > 0 && progress.height > 0
                    ? name + " picture too large (" + std::to_string(progress.width) + " x " +
                          std::to_string(progress.height) + " pixels)"
                    : "damaged " + name + " file";
        return false;
    }
    GdkPixbuf* pixbuf = gdk_pixbuf_loader_get_pixbuf(loader.get()); // owned by the loader
    if (!fed || !closed || !pixbuf) {
        error = Describe(loadError.get(), format);
        return false;
    }
    if (std::ranges::find(progress.rowsDecoded, false) != progress.rowsDecoded.end()) {
        error = "damaged " + name + " file (it ends too early)";
        return false;
    }
    const int channels = gdk_pixbuf_get_n_channels(pixbuf);
    if (gdk_pixbuf_get_bits_per_sample(pixbuf) != 8 || (channels != 3 && channels != 4) ||
        gdk_pixbuf_get_width(pixbuf) != progress.width ||
        gdk_pixbuf_get_height(pixbuf) != progress.height) {
        error = "damaged " + name + " file";
        return false;
    }
    const RgbPicture picture{gdk_pixbuf_read_pixels(pixbuf), gdk_pixbuf_get_width(pixbuf),
                             gdk_pixbuf_get_height(pixbuf),
                             std::size_t(gdk_pixbuf_get_rowstride(pixbuf)), channels};
    StretchToFrame(picture, frame, rowPixels);
    return true;
}
