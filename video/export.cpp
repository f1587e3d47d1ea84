// Frame export: the frame buffer as a PNG (Cairo's writer) in the Desktop
// folder (else the pictures folder, else home) under the first free
// "Kestrix Image N.png". The file is created exclusively, so a name that
// someone takes meanwhile is never overwritten.
#include "engine/scanner_instance.h"
#include "video/capture.h"
#include "video/frame_world.h"

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <climits>
#include <cstdio>
#include <cstdlib>
#include <fstream>
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

std::string HomeFolder() {
    const char* home = std::getenv("HOME");
    return home ? home : "";
}

// A folder of user-dirs.dirs (XDG_DESKTOP_DIR=...): a quoted path,
// "$HOME/..." or absolute.
fs::path FromUserDirs(std::string_view name) {
    const char* config = std::getenv("XDG_CONFIG_HOME");
    const fs::path file =
        (config && *config ? fs::path(config) : fs::path(HomeFolder()) / ".config") /
        "user-dirs.dirs";
    std::ifstream in(file);
    std::string line;
    const std::string key = std::string(name) + "=";
    while (std::getline(in, line)) {
        if (!line.starts_with(key)) continue;
        std::string value = line.substr(key.size());
        if (value.size() >= 2 && value.front() == '"' && value.back() == '"')
            value = value.substr(1, value.size() - 2);
        if (value.starts_with("$HOME")) value = HomeFolder() + value.substr(5);
        if (!value.empty() && value.front() == '/') return value;
    }
    return {};
}

// The user folder named by the environment or user-dirs.dirs, else the
// home folder's fallback; empty when it does not exist.
fs::path UserFolder(const char* name, const char* fallback) {
    fs::path folder;
    if (const char* env = std::getenv(name); env && *env == '/')
        folder = env;
    else if (folder = FromUserDirs(name); folder.empty() && !HomeFolder().empty())
        folder = fs::path(HomeFolder()) / fallback;
    std::error_code ec;
    return !folder.empty() && fs::is_directory(folder, ec) ? folder : fs::path();
}

} // namespace

fs::path VideoDesktopFolder() {
    return UserFolder("XDG_DESKTOP_DIR", "Desktop");
}

fs::path VideoPicturesFolder() {
    return UserFolder("XDG_PICTURES_DIR", "Pictures");
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
    if (folder.empty() && fs::is_directory(HomeFolder(), ec)) folder = HomeFolder();
    if (folder.empty()) return fnfErr;
    return VideoWriteFramePng(instance, folder, kSnapshotName, written);
}
