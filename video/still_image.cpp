// GdkPixbuf's incremental loader is fed the file in blocks, so a picture
// is refused as soon as its header claims an unreasonable size, before any
// pixel memory is taken, and feeding stops at the picture's own end (or
// after as many bytes as its format can spend on its pixels). A JPEG is
// decoded at a reduced size where its decoder can shrink it on the way
// (1/2, 1/4, 1/8), never below twice the frame's size.
#include "video/still_image.h"

#include "engine/laser.h"
#include "toolbox/owned.h"
#include "video/frame_stretch.h"
#include "video/still_format_end.h"

#include <gdk-pixbuf/gdk-pixbuf.h>

#include <algorithm>
#include <array>
#include <cerrno>
#include <cstring>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

namespace {

constexpr std::size_t kBlockBytes = 64 * 1024;
// Bytes a file may hold beside its pixels (headers, colour profiles, text).
constexpr std::uint64_t kMetadataBytes = 16 * 1024 * 1024;
// A reduced JPEG keeps at least this many pixels for each frame pixel
// along each side, so the frame's averaging still sees the bars.
constexpr int kReducedMargin = 2;
constexpr std::array kJpegReductions = {8, 4, 2};
// The most pixels one byte of a file can stand for, where that is bounded:
// deflate writes at most 1032 bytes for a byte it reads and a PNG pixel
// takes at least one bit; a PNM pixel takes at least one bit itself. A
// header that claims more than its file's bytes can hold is damaged.
std::uint64_t MaxPixelsPerByte(const StillFormat& format) {
    constexpr std::uint64_t kDeflateMaxRatio = 1032;
    if (format.name == "PNG") return 8 * kDeflateMaxRatio;
    if (format.name == "PNM") return 8;
    return 0; // unbounded, or the decoder reads the whole file first
}

using LoaderPtr = Owned<GdkPixbufLoader, g_object_unref>;
using AnimationPtr = Owned<GdkPixbufAnimation, g_object_unref>;
using IterPtr = Owned<GdkPixbufAnimationIter, g_object_unref>;
using ErrorPtr = Owned<GError, g_error_free>;

// The most bytes a format spends on one pixel: 16-bit RGBA, PNM in
// decimal text, and so on.
std::uint64_t MaxBytesPerPixel(const StillFormat& format) {
    const std::string_view name = format.name;
    if (name == "PNM" || name == "XPM" || name == "SVG") return 24;
    if (name == "TIFF") return 16;
    if (name == "GIF") return 2; // 12-bit codes
    return 8;
}

// What the decoder said about the picture while it was fed.
struct Progress {
    const StillFormat* format = nullptr;
    std::uint64_t maxPixels = kMaxStillPixels;
    std::uint64_t fileBytes = 0; // what the file holds from the picture's start; 0: unknown
    int width = 0;               // as the header says
    int height = 0;
    int decodedWidth = 0; // as it is decoded: smaller for a reduced JPEG
    int decodedHeight = 0;
    bool tooLarge = false;
    bool overclaimed = false;      // the header claims more pixels than the file can hold
    std::vector<bool> rowsDecoded; // a file that ends early leaves rows out
    std::size_t rowsLeft = 0;
};

// libjpeg's reduced size: each side divided by the reduction, rounded up.
int Reduced(int size, int by) {
    return (size + by - 1) / by;
}

// "size-prepared": a size of 0x0 tells the decoder to stop without
// allocating the picture.
void OnSizePrepared(GdkPixbufLoader* loader, int width, int height, gpointer data) {
    auto* progress = static_cast<Progress*>(data);
    if (progress->tooLarge) return;
    // Some decoders say so again with every block; the rows stay counted.
    if (progress->width == width && progress->height == height && !progress->rowsDecoded.empty())
        return;
    progress->width = width;
    progress->height = height;
    const std::uint64_t pixels =
        std::uint64_t(std::max(width, 0)) * std::uint64_t(std::max(height, 0));
    const std::uint64_t perByte = MaxPixelsPerByte(*progress->format);
    progress->overclaimed =
        perByte > 0 && progress->fileBytes > 0 && pixels / perByte > progress->fileBytes;
    if (width <= 0 || height <= 0 || width > kMaxStretchSide || height > kMaxStretchSide ||
        pixels > progress->maxPixels || progress->overclaimed) {
        progress->tooLarge = true;
        gdk_pixbuf_loader_set_size(loader, 0, 0);
        return;
    }
    progress->decodedWidth = width;
    progress->decodedHeight = height;
    if (progress->format->name == "JPEG") {
        for (int by : kJpegReductions)
            if (Reduced(width, by) >= kReducedMargin * kFrameWidth &&
                Reduced(height, by) >= kReducedMargin * kFrameHeight) {
                progress->decodedWidth = Reduced(width, by);
                progress->decodedHeight = Reduced(height, by);
                gdk_pixbuf_loader_set_size(loader, progress->decodedWidth, progress->decodedHeight);
                break;
            }
    }
    progress->rowsDecoded.assign(std::size_t(progress->decodedHeight), false);
    progress->rowsLeft = progress->rowsDecoded.size();
}

// "area-updated": rows the decoder has filled in.
void OnAreaUpdated(GdkPixbufLoader*, int, int y, int, int rows, gpointer data) {
    auto* progress = static_cast<Progress*>(data);
    auto& decoded = progress->rowsDecoded;
    const int end = std::min(y + rows, int(decoded.size()));
    for (int row = std::max(y, 0); row < end; ++row)
        if (!decoded[std::size_t(row)]) {
            decoded[std::size_t(row)] = true;
            --progress->rowsLeft;
        }
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

std::string OneLine(std::string text) {
    for (char& c : text)
        if (c == '\n' || c == '\r') c = ' ';
    return text;
}

// Bytes from fd's position to the end of a regular file; 0 when unknown.
std::uint64_t BytesLeft(int fd) {
    struct stat status {};
    const off_t at = lseek(fd, 0, SEEK_CUR);
    if (fstat(fd, &status) != 0 || !S_ISREG(status.st_mode) || at < 0 || status.st_size < at)
        return 0;
    return std::uint64_t(status.st_size - at);
}

// Stretches one decoded picture into the frame.
bool Stretch(GdkPixbuf* pixbuf, std::span<std::uint32_t> frame, std::size_t rowPixels) {
    const int channels = gdk_pixbuf_get_n_channels(pixbuf);
    const int width = gdk_pixbuf_get_width(pixbuf), height = gdk_pixbuf_get_height(pixbuf);
    if (gdk_pixbuf_get_bits_per_sample(pixbuf) != 8 || (channels != 3 && channels != 4) ||
        width <= 0 || height <= 0 || width > kMaxStretchSide || height > kMaxStretchSide)
        return false;
    const RgbPicture picture{gdk_pixbuf_read_pixels(pixbuf), width, height,
                             std::size_t(gdk_pixbuf_get_rowstride(pixbuf)), channels};
    StretchToFrame(picture, frame, rowPixels);
    return true;
}

} // namespace

// The loader keeps the decoded picture or animation; an animation is
// walked with an iterator on a clock of its own.
struct StillPicture::Decoded {
    LoaderPtr loader;
    AnimationPtr animation; // null for a still picture
    IterPtr iter;
    G_GNUC_BEGIN_IGNORE_DEPRECATIONS
    GTimeVal clock{}; // the iterator's clock; GdkPixbuf takes no other
    G_GNUC_END_IGNORE_DEPRECATIONS
};

StillPicture::StillPicture(std::unique_ptr<Decoded> decoded, int pictures, std::string note)
    : decoded_(std::move(decoded)), pictures_(pictures), note_(std::move(note)) {}

StillPicture::~StillPicture() = default;

std::unique_ptr<StillPicture> StillPicture::Read(int fd, const StillFormat& format,
                                                 std::string& error, std::string& detail,
                                                 std::uint64_t maxPixels) {
    const std::string type(format.pixbufType);
    const std::string name(format.name);
    GError* rawError = nullptr;
    auto decoded = std::make_unique<Decoded>();
    decoded->loader.reset(gdk_pixbuf_loader_new_with_type(type.c_str(), &rawError));
    ErrorPtr loadError(rawError);
    GdkPixbufLoader* loader = decoded->loader.get();
    if (!loader) {
        error = "no decoder for " + name + " pictures is installed";
        if (loadError) detail = OneLine(loadError->message);
        return nullptr;
    }
    Progress progress;
    progress.format = &format;
    progress.maxPixels = maxPixels;
    progress.fileBytes = BytesLeft(fd);
    g_signal_connect(loader, "size-prepared", G_CALLBACK(OnSizePrepared), &progress);
    g_signal_connect(loader, "area-updated", G_CALLBACK(OnAreaUpdated), &progress);

    // Feeding ends at the picture's end, at a break in its structure, once
    // every row of a picture decoded row by row has come, or when more has
    // been read than any such picture can hold.
    StillEndFinder end(format);
    const bool rowByRow = format.name == "PNM" || format.name == "BMP";
    std::array<guchar, kBlockBytes> block;
    std::uint64_t fedBytes = 0;
    bool fed = true;
    bool fileEnded = false;
    bool first = true;
    while (fed && !progress.tooLarge && !end.Ended() && !end.Broken()) {
        if (rowByRow && !progress.rowsDecoded.empty() && progress.rowsLeft == 0) break;
        const std::uint64_t pixels = progress.width > 0 && progress.height > 0
                                         ? std::uint64_t(progress.width) * progress.height
                                         : maxPixels;
        if (fedBytes > kMetadataBytes + pixels * MaxBytesPerPixel(format)) break;
        const ssize_t n = read(fd, block.data(), block.size());
        if (n < 0 && errno == EINTR) continue;
        if (n < 0) {
            error = std::string("cannot be read (") + std::strerror(errno) + ")";
            gdk_pixbuf_loader_close(loader, nullptr);
            return nullptr;
        }
        if (n == 0) {
            fileEnded = true;
            break;
        }
        const auto bytes = std::as_bytes(std::span(block.data(), std::size_t(n)));
        if (first && !PlausibleStillHeader(format, bytes)) {
            gdk_pixbuf_loader_close(loader, nullptr);
            error = "damaged " + name + " file";
            return nullptr;
        }
        first = false;
        const std::size_t take = end.Take(bytes);
        fedBytes += take;
        if (take == 0) break;
        rawError = nullptr;
        fed = gdk_pixbuf_loader_write(loader, block.data(), gsize(take), &rawError);
        loadError.reset(rawError);
    }
    // Closing tells a truncated file from a whole one; after an error it
    // only releases the decoder.
    rawError = nullptr;
    const bool closed = gdk_pixbuf_loader_close(loader, fed ? &rawError : nullptr);
    if (fed) loadError.reset(rawError);
    g_signal_handlers_disconnect_by_data(loader, &progress); // the loader outlives progress
    if (loadError) detail = OneLine(loadError->message);
    if (progress.tooLarge) {
        const std::string size =
            std::to_string(progress.width) + " x " + std::to_string(progress.height) + " pixels";
        error = progress.width <= 0 || progress.height <= 0 ? "damaged " + name + " file"
                : progress.overclaimed ? "damaged " + name + " file (its header claims " + size +
                                             ", more than the file holds)"
                                       : name + " picture too large (" + size + ")";
        return nullptr;
    }
    GdkPixbuf* pixbuf = gdk_pixbuf_loader_get_pixbuf(loader); // owned by the loader
    if (!fed || !closed || !pixbuf ||
        (end.Broken() && end.Pictures() == 0 && format.name == "GIF")) {
        error = Describe(loadError.get(), format);
        return nullptr;
    }
    if (progress.rowsLeft > 0) {
        error = "damaged " + name + " file (it ends too early)";
        return nullptr;
    }
    if (gdk_pixbuf_get_width(pixbuf) != progress.decodedWidth ||
        gdk_pixbuf_get_height(pixbuf) != progress.decodedHeight) {
        error = "damaged " + name + " file";
        return nullptr;
    }
    // JPEG and WebP decoders give the whole picture of a cut file, the
    // missing part filled in; the code may be in the part that came.
    const std::string note =
        fileEnded && end.Tracks() && !end.Ended() && !end.Broken() ? kIncompleteNote : "";
    int pictures = 1;
    if (GdkPixbufAnimation* animation = gdk_pixbuf_loader_get_animation(loader);
        animation && !gdk_pixbuf_animation_is_static_image(animation) && end.Pictures() > 1) {
        pictures = end.Pictures();
        decoded->animation.reset(GDK_PIXBUF_ANIMATION(g_object_ref(animation)));
        G_GNUC_BEGIN_IGNORE_DEPRECATIONS
        decoded->iter.reset(gdk_pixbuf_animation_get_iter(animation, &decoded->clock));
        G_GNUC_END_IGNORE_DEPRECATIONS
    }
    return std::unique_ptr<StillPicture>(new StillPicture(std::move(decoded), pictures, note));
}

int StillPicture::NextPicture(std::span<std::uint32_t> frame, std::size_t rowPixels) {
    Decoded& d = *decoded_;
    if (!d.iter) {
        GdkPixbuf* pixbuf = gdk_pixbuf_loader_get_pixbuf(d.loader.get());
        if (!pixbuf || !Stretch(pixbuf, frame, rowPixels)) return -1;
        return 0;
    }
    GdkPixbuf* pixbuf = gdk_pixbuf_animation_iter_get_pixbuf(d.iter.get());
    if (!pixbuf || !Stretch(pixbuf, frame, rowPixels)) return -1;
    const int delay = std::max(gdk_pixbuf_animation_iter_get_delay_time(d.iter.get()), 0);
    G_GNUC_BEGIN_IGNORE_DEPRECATIONS
    g_time_val_add(&d.clock, glong(delay) * 1000);
    gdk_pixbuf_animation_iter_advance(d.iter.get(), &d.clock);
    G_GNUC_END_IGNORE_DEPRECATIONS
    return delay;
}

bool ReadStillImage(int fd, const StillFormat& format, std::span<std::uint32_t> frame,
                    std::size_t rowPixels, std::string& error) {
    std::string detail;
    const auto picture = StillPicture::Read(fd, format, error, detail);
    if (!picture) return false;
    if (picture->NextPicture(frame, rowPixels) < 0) {
        error = "damaged " + std::string(format.name) + " file";
        return false;
    }
    error = picture->Note();
    return true;
}
