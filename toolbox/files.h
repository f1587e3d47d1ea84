// Whole-file reading and writing. A file reference is the file's path.
// Writing never leaves a half-written file: the new content goes to a
// temporary file in the same folder, is flushed to disk and then renamed
// over the old one, so a reader sees either the old or the new content.
#pragma once

#include "toolbox/fourcc.h"

#include <cstdint>
#include <filesystem>
#include <span>
#include <sys/types.h>
#include <unistd.h>
#include <utility>
#include <vector>

// Owns a file descriptor: closed when it goes out of scope.
class FileDescriptor {
  public:
    explicit FileDescriptor(int fd = -1) : fd_(fd) {}
    ~FileDescriptor() {
        if (fd_ >= 0) ::close(fd_);
    }
    FileDescriptor(FileDescriptor&& other) noexcept : fd_(other.Release()) {}
    FileDescriptor& operator=(FileDescriptor&& other) noexcept {
        if (this != &other) {
            if (fd_ >= 0) ::close(fd_);
            fd_ = other.Release();
        }
        return *this;
    }
    int Get() const { return fd_; }
    int Release() { return std::exchange(fd_, -1); }
    // Closes now and says whether the close succeeded (a late write error
    // can surface here).
    bool Close() { return ::close(Release()) == 0; }

  private:
    int fd_;
};

// The user's home folder: $HOME when it is an absolute path, else the user
// database's; empty when neither is known.
std::filesystem::path UserHomeFolder();
// The user's configuration folder: $XDG_CONFIG_HOME when it is an absolute
// path (a relative one is ignored, as the XDG base directories ask), else
// the home folder's .config; empty when no home folder is known.
std::filesystem::path UserConfigFolder();

// Reads the whole regular file into *out, at most maxSize bytes. fnfErr when
// it does not exist, paramErr when it is not a regular file or is larger,
// ioErr when it cannot be read; *out is set only on success.
OSStatus ReadWholeFile(const std::filesystem::path& path, std::uint64_t maxSize,
                       std::vector<std::uint8_t>* out);

// Replaces (or creates, with `mode`) the file at path with bytes: temporary
// file in the same folder, fsync, rename, fsync of the folder. On failure
// the old file is as it was, no temporary is left and the result is ioErr.
OSStatus WriteFileAtomically(const std::filesystem::path& path, std::span<const std::uint8_t> bytes,
                             mode_t mode);

// Both kept for the toolbox interface; scripts run as programs here, so nothing calls them.
// Reads the whole file into *outHandle. paramErr for an empty path or a null
// outHandle. A file that cannot be opened or read, or that is not a regular
// file (a folder, a FIFO, a device), leaves *outHandle untouched; noErr.
OSStatus AppReadFileFSRef(const std::filesystem::path& path, std::vector<std::uint8_t>* outHandle);

// Replaces the content of an existing file with bytes, keeping its mode;
// the file is then exactly bytes.size() long. paramErr for an empty path.
// A file that does not exist or may not be written: noErr, nothing written.
// A write that fails: ioErr, and the old content is intact.
OSStatus AppWriteFileFSRef(const std::filesystem::path& path, std::span<const std::uint8_t> bytes);
