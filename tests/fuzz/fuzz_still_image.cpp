// Fuzzes the still-picture reader, bytes to frame: any input is told by its
// first bytes, fed to GdkPixbuf up to the picture's own end and stretched to
// 640x480 (each picture of an animation), or refused with a message;
// nothing may crash, leak, hang or read out of bounds.
#include "engine/laser.h"
#include "video/still_format.h"
#include "video/still_image.h"

#include <algorithm>
#include <cstdlib>
#include <span>
#include <sys/mman.h>
#include <unistd.h>
#include <vector>

namespace {

// Smaller bounds than the program's, so that one input stays well inside
// the fuzzer's time limit even when its header claims the most it may.
constexpr std::uint64_t kFuzzMaxPixels = std::uint64_t(1) << 21;
constexpr int kFuzzMaxPictures = 4;

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const StillFormat* format = SniffStillFormat(std::as_bytes(std::span(data, size)));
    if (!format) return 0;
    // The input as the file the reader is given.
    const int fd = memfd_create("fuzz_still_image", MFD_CLOEXEC);
    if (fd < 0) return 0;
    if (write(fd, data, size) == ssize_t(size) && lseek(fd, 0, SEEK_SET) == 0) {
        std::string error, detail;
        const auto picture = StillPicture::Read(fd, *format, error, detail, kFuzzMaxPixels);
        // Every picture of an animation is stretched, every pixel written, opaque.
        for (int n = 0; picture && n < std::min(picture->Pictures(), kFuzzMaxPictures); ++n) {
            std::vector<std::uint32_t> frame(std::size_t(kFrameWidth) * kFrameHeight, 0);
            if (picture->NextPicture(frame, kFrameWidth) < 0) break;
            for (std::uint32_t pixel : frame)
                if ((pixel >> 24) != 0xFF) std::abort();
        }
    }
    close(fd);
    return 0;
}
