// Frame export: the frame buffer as a PNG (Cairo's writer) in the Desktop
// folder (else the pictures folder, else home), the folders as GLib reads
// the user's folder settings, under the first free "Kestrix Image N.png".
// The file is created exclusively, so a name that someone takes meanwhile
// is never overwritten.
#include "engine/scanner_instance.h"
#include "toolbox/files.h"
#include "video/capture.h"
#include "video/frame_world.h"

#include <fcntl.h>
#include <glib.h>
#include <unistd.h>

#include <cerrno>
#include <climits>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <system_error>

namespace fs = std::filesystem;

namespace {

constexpr OSStatus kIoErr = -36;
constexpr OSStatus kDiskFullErr = -34;
constexpr OSStatus kWritePermErr = -61;
constexpr const char* kSnapshotName = "Kestrix Image %ld.png";

OSStatus StatusOfErrno(int error) {
    switch (error) {
    case ENOENT:
    case ENOTDIR:
        return fnfErr;
    case EACCES:
    case EPERM:
    case EROFS:
        return kWritePermErr;
    case ENOSPC:
    case EDQUOT:
        return kDiskFullErr;
    default:
        return kIoErr;
    }
}

cairo_status_t WriteToFd(void* closure, const unsigned char* data, unsigned int length) {
    const int fd = *static_cast<int*>(closure);
    while (length > 0) {
        const ssize_t n = write(fd, data, length);
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) return CAIRO_STATUS_WRITE_ERROR;
        data += n;
        length -= unsigned(n);
    }
    return CAIRO_STATUS_SUCCESS;
}

// A folder of the user's folder settings: the environment's variable when
// it holds an absolute path, else what user-dirs.dirs names (read again each
// time, as the user may change it while Kestrix runs), else the home
// folder's fallback; empty when the folder does not exist.
fs::path UserFolder(GUserDirectory directory, const char* variable, const char* fallback) {
    fs::path folder;
    if (const char* env = std::getenv(variable); env && *env == '/') {
        folder = env;
    } else {
        g_reload_user_special_dirs_cache();
        const char* named = g_get_user_special_dir(directory);
        if (named && *named == '/')
            folder = named;
        else if (const fs::path home = UserHomeFolder(); !home.empty())
            folder = home / fallback;
    }
    std::error_code ec;
    return !folder.empty() && fs::is_directory(folder, ec) ? folder : fs::path();
}

} // namespace

fs::path VideoDesktopFolder() {
    return UserFolder(G_USER_DIRECTORY_DESKTOP, "XDG_DESKTOP_DIR", "Desktop");
}

fs::path VideoPicturesFolder() {
    return UserFolder(G_USER_DIRECTORY_PICTURES, "XDG_PICTURES_DIR", "Pictures");
}

OSStatus VideoWriteFramePng(const ScannerInstance* instance, const fs::path& folder,
                            const char* nameFormat, fs::path* written) {
    if (!instance || !instance->frameWorld || !nameFormat || folder.empty()) return paramErr;
    std::error_code ec;
    if (!fs::is_directory(folder, ec)) return fnfErr;
    for (long n = 1; n <= INT32_MAX; ++n) {
        char name[256];
        std::snprintf(name, sizeof name, nameFormat, n);
        const fs::path path = folder / name;
        const int fd = open(path.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0644);
        if (fd < 0 && errno == EEXIST) continue;
        if (fd < 0) return StatusOfErrno(errno);

        cairo_surface_t* surface = instance->frameWorld->surface.get();
        cairo_surface_flush(surface);
        int target = fd;
        const bool wrote =
            cairo_surface_write_to_png_stream(surface, WriteToFd, &target) == CAIRO_STATUS_SUCCESS;
        const int writeError = errno;
        const bool closed = close(fd) == 0;
        if (!wrote || !closed) {
            unlink(path.c_str()); // no half-written picture left behind
            return wrote ? StatusOfErrno(errno) : StatusOfErrno(writeError);
        }
        if (written) *written = path;
        return noErr;
    }
    return kIoErr;
}

OSStatus VideoExportFrame(ScannerInstance* instance, fs::path* written) {
    if (!instance) return paramErr;
    // A frame that has arrived is taken first, as the view would show it next.
    if (instance->channel)
        if (const auto frame = FramePixels(instance->frameWorld); !frame.empty())
            instance->channel->Idle(frame, kFrameWidth);
    fs::path folder = VideoDesktopFolder();
    if (folder.empty()) folder = VideoPicturesFolder();
    std::error_code ec;
    if (folder.empty() && fs::is_directory(UserHomeFolder(), ec)) folder = UserHomeFolder();
    if (folder.empty()) return fnfErr;
    return VideoWriteFramePng(instance, folder, kSnapshotName, written);
}
