// Whole-file reading and atomic writing on POSIX descriptors.
#include "toolbox/files.h"

#include <algorithm>
#include <cerrno>
#include <cstdint>
#include <cstdlib>
#include <fcntl.h>
#include <new>
#include <pwd.h>
#include <string>
#include <sys/stat.h>
#include <unistd.h>

namespace {

bool WriteAll(int fd, std::span<const std::uint8_t> bytes) {
    while (!bytes.empty()) {
        ssize_t n = ::write(fd, bytes.data(), bytes.size());
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) return false;
        bytes = bytes.subspan(std::size_t(n));
    }
    return true;
}

void SyncFolder(const std::filesystem::path& folder) {
    FileDescriptor dir(::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
    if (dir.Get() >= 0) ::fsync(dir.Get());
}

} // namespace

std::filesystem::path UserHomeFolder() {
    const char* home = std::getenv("HOME");
    if (!home || home[0] != '/') {
        const passwd* user = ::getpwuid(::getuid());
        home = user ? user->pw_dir : nullptr;
    }
    if (!home || home[0] != '/') return {};
    return home;
}

std::filesystem::path UserConfigFolder() {
    const char* xdg = std::getenv("XDG_CONFIG_HOME");
    if (xdg && xdg[0] == '/') return xdg;
    const std::filesystem::path home = UserHomeFolder();
    return home.empty() ? home : home / ".config";
}

OSStatus ReadWholeFile(const std::filesystem::path& path, std::uint64_t maxSize,
                       std::vector<std::uint8_t>* out) {
    // O_NONBLOCK so that opening a FIFO without a writer does not wait.
    FileDescriptor file(::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC));
    if (file.Get() < 0) return errno == ENOENT ? fnfErr : ioErr;
    struct stat st {};
    if (::fstat(file.Get(), &st) != 0) return ioErr;
    if (!S_ISREG(st.st_mode) || std::uint64_t(st.st_size) > maxSize) return paramErr;

    // The size is only a hint: the file is read to its end, whatever it has
    // grown or shrunk to meanwhile, but never beyond maxSize.
    std::vector<std::uint8_t> bytes;
    try {
        bytes.resize(std::size_t(st.st_size) + 1);
        std::size_t used = 0;
        for (;;) {
            if (used == bytes.size()) {
                if (used > maxSize) return paramErr;
                bytes.resize(std::min<std::uint64_t>(used * 2 + 4096, maxSize + 1));
            }
            ssize_t n = ::read(file.Get(), bytes.data() + used, bytes.size() - used);
            if (n < 0 && errno == EINTR) continue;
            if (n < 0) return ioErr;
            if (n == 0) break;
            used += std::size_t(n);
        }
        if (used > maxSize) return paramErr;
        bytes.resize(used);
    } catch (const std::bad_alloc&) {
        return ioErr;
    }
    *out = std::move(bytes);
    return noErr;
}

OSStatus WriteFileAtomically(const std::filesystem::path& path, std::span<const std::uint8_t> bytes,
                             mode_t mode) {
    std::filesystem::path folder = path.parent_path();
    if (folder.empty()) folder = ".";
    std::string temporary = (folder / ("." + path.filename().string() + ".XXXXXX")).string();

    FileDescriptor file(::mkstemp(temporary.data()));
    if (file.Get() < 0) return ioErr;
    bool written = ::fchmod(file.Get(), mode) == 0 && WriteAll(file.Get(), bytes) &&
                   ::fsync(file.Get()) == 0 && file.Close() &&
                   ::rename(temporary.c_str(), path.c_str()) == 0;
    if (!written) {
        ::unlink(temporary.c_str());
        return ioErr;
    }
    SyncFolder(folder);
    return noErr;
}

OSStatus AppReadFileFSRef(const std::filesystem::path& path, std::vector<std::uint8_t>* outHandle) {
    if (path.empty() || !outHandle) return paramErr;
    std::vector<std::uint8_t> bytes;
    if (ReadWholeFile(path, std::uint64_t(PTRDIFF_MAX), &bytes) == noErr)
        *outHandle = std::move(bytes);
    return noErr;
}

OSStatus AppWriteFileFSRef(const std::filesystem::path& path, std::span<const std::uint8_t> bytes) {
    if (path.empty()) return paramErr;
    struct stat st {};
    {
        FileDescriptor file(::open(path.c_str(), O_WRONLY | O_NONBLOCK | O_CLOEXEC));
        if (file.Get() < 0 || ::fstat(file.Get(), &st) != 0 || !S_ISREG(st.st_mode)) return noErr;
    }
    return WriteFileAtomically(path, bytes, st.st_mode & 07777);
}
