// Fuzzes the still-picture reader, bytes to frame: any input is told by its
// first bytes, fed to GdkPixbuf up to the picture's own end and stretched to
// 640x480, or refused with a message; nothing may crash, leak, hang or read
// out of bounds.
#include "engine/laser.h"
#include "video/still_format.h"
#include "video/still_image.h"

#include <cstdlib>
#include <span>
#include <sys/mman.h>
#include <unistd.h>
#include <vector>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const StillFormat* format = SniffStillFormat(std::as_bytes(std::span(data, size)));
    if (!format) return 0;
    // The input as the file the reader is given.
    const int fd = memfd_create("fuzz_still_image", MFD_CLOEXEC);
    if (fd < 0) return 0;
    if (write(fd, data, size) == ssize_t(size) && lseek(fd, 0, SEEK_SET) == 0) {
        std::vector<std::uint32_t> frame(std::size_t(kFrameWidth) * kFrameHeight, 0);
        std::string error;
        if (ReadStillImage(fd, *format, frame, kFrameWidth, error))
            for (std::uint32_t pixel : frame)
                if ((pixel >> 24) != 0xFF) std::abort(); // every pixel written, opaque
    }
    close(fd);
    return 0;
}
