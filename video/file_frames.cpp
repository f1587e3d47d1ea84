// Opening a file as a user names it: the type of what the name points to
// is looked at first (the open itself never blocks), a pipe or standard
// input is copied into an unnamed temporary file so that a video's
// container can be read back and forth, and the first bytes decide whether
// GdkPixbuf or GStreamer decodes it.
#include "video/file_frames.h"

#include "toolbox/files.h"
#include "video/still_image.h"

#include <glib.h>

#include <algorithm>
#include <array>
#include <cerrno>
#include <chrono>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <malloc.h>
#include <sys/stat.h>
#include <thread>
#include <unistd.h>
#include <utility>

namespace {

constexpr std::size_t kCopyBlockBytes = 64 * 1024;
constexpr int kAnimationFps = 30; // an animation is shown as the camera's video

// A regular file to decode, positioned anywhere, and the name by which
// GStreamer opens it again.
struct Input {
    FileDescriptor fd;
    std::string streamPath;
};

std::string SystemError(int error) {
    return std::strerror(error);
}

std::string ProcPath(int fd) {
    return "/proc/self/fd/" + std::to_string(fd);
}

// An unnamed file in the temporary folder, gone when its last descriptor is.
FileDescriptor TemporaryFile(std::string& error) {
    const char* dir = std::getenv("TMPDIR");
    const std::string folder = dir && *dir ? dir : "/tmp";
    FileDescriptor fd(open(folder.c_str(), O_TMPFILE | O_RDWR | O_CLOEXEC, 0600));
    if (fd.Get() >= 0) return fd;
    std::string pattern = folder + "/kestrix-XXXXXX";
    fd = FileDescriptor(mkostemp(pattern.data(), O_CLOEXEC));
    if (fd.Get() < 0) {
        error = "cannot make a temporary copy in " + folder + " (" + SystemError(errno) + ")";
        return fd;
    }
    unlink(pattern.c_str());
    return fd;
}

bool WriteAll(int to, std::string_view bytes) {
    while (!bytes.empty()) {
        const ssize_t w = write(to, bytes.data(), bytes.size());
        if (w < 0 && errno == EINTR) continue;
        if (w < 0) return false;
        bytes.remove_prefix(std::size_t(w));
    }
    return true;
}

// Copies head, then everything else from a pipe, into a temporary file.
bool CopyToTemporary(int from, std::string_view head, Input& input, std::string& error) {
    FileDescriptor copy = TemporaryFile(error);
    if (copy.Get() < 0) return false;
    std::array<char, kCopyBlockBytes> block;
    for (std::string_view bytes = head;;) {
        if (!WriteAll(copy.Get(), bytes)) {
            error = "cannot make a temporary copy (" + SystemError(errno) + ")";
            return false;
        }
        const ssize_t n = read(from, block.data(), block.size());
        if (n < 0 && errno == EINTR) {
            bytes = {};
            continue;
        }
        if (n < 0) {
            error = "cannot be read (" + SystemError(errno) + ")";
            return false;
        }
        if (n == 0) break;
        bytes = std::string_view(block.data(), std::size_t(n));
    }
    input.streamPath = ProcPath(copy.Get());
    input.fd = std::move(copy);
    return true;
}

// A named pipe opened without waiting. A read that finds no data tells the
// two cases apart: EAGAIN while a writer has the pipe open, end of file
// while nobody has. A writer that is only now opening its end is given a
// moment; then the pipe is read as a blocking pipe, as the writer sends.
bool ReadNamedPipe(FileDescriptor pipe, Input& input, std::string& error) {
    const auto giveUp = std::chrono::steady_clock::now() + kPipeWriterWait;
    char first = 0;
    ssize_t n = 0;
    while (true) {
        n = read(pipe.Get(), &first, 1);
        if (n < 0 && errno == EINTR) continue;
        if (n != 0 || std::chrono::steady_clock::now() >= giveUp) break;
        std::this_thread::sleep_for(kPipeWriterPoll);
    }
    if (n == 0) {
        error = "a named pipe that nothing writes to";
        return false;
    }
    if (n < 0 && errno != EAGAIN) {
        error = "cannot be read (" + SystemError(errno) + ")";
        return false;
    }
    fcntl(pipe.Get(), F_SETFL, fcntl(pipe.Get(), F_GETFL) & ~O_NONBLOCK);
    return CopyToTemporary(pipe.Get(), n == 1 ? std::string_view(&first, 1) : std::string_view(),
                           input, error);
}

// What a file type other than a regular file is called in messages, or
// null for a pipe, which is read.
const char* RefusedType(mode_t mode) {
    if (S_ISDIR(mode)) return "is a folder, not a file";
    if (S_ISCHR(mode) || S_ISBLK(mode)) return "is a device, not a file";
    if (S_ISSOCK(mode)) return "is a socket, not a file";
    if (S_ISFIFO(mode) || S_ISREG(mode)) return nullptr;
    return "is not a file";
}

bool OpenStandardInput(Input& input, std::string& error) {
    if (isatty(STDIN_FILENO)) {
        error = "standard input is a terminal; send a picture or video into it with < or |";
        return false;
    }
    struct stat status {};
    FileDescriptor fd(fcntl(STDIN_FILENO, F_DUPFD_CLOEXEC, 0));
    if (fd.Get() < 0 || fstat(fd.Get(), &status) != 0) {
        error = "standard input cannot be read (" + SystemError(errno) + ")";
        return false;
    }
    if (S_ISREG(status.st_mode)) {
        input.streamPath = ProcPath(fd.Get());
        input.fd = std::move(fd);
        return true;
    }
    if (S_ISFIFO(status.st_mode) || S_ISSOCK(status.st_mode))
        return CopyToTemporary(fd.Get(), {}, input, error);
    error = std::string("standard input ") + RefusedType(status.st_mode);
    return false;
}

bool OpenNamedFile(const std::string& path, Input& input, std::string& error) {
    // Non-blocking, so that opening a pipe without a writer returns at once.
    FileDescriptor fd(open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC | O_NOCTTY));
    if (fd.Get() < 0) {
        const int cause = errno;
        struct stat status {};
        if (cause == ENOENT)
            error = "file not found";
        else if (cause == ENXIO && stat(path.c_str(), &status) == 0 && RefusedType(status.st_mode))
            error = RefusedType(status.st_mode);
        else
            error = "cannot be opened for reading (" + SystemError(cause) + ")";
        return false;
    }
    struct stat status {};
    if (fstat(fd.Get(), &status) != 0) {
        error = "cannot be opened for reading (" + SystemError(errno) + ")";
        return false;
    }
    if (const char* refused = RefusedType(status.st_mode)) {
        error = refused;
        return false;
    }
    if (S_ISFIFO(status.st_mode)) return ReadNamedPipe(std::move(fd), input, error);
    fcntl(fd.Get(), F_SETFL, fcntl(fd.Get(), F_GETFL) & ~O_NONBLOCK);
    input.streamPath = path;
    input.fd = std::move(fd);
    return true;
}

} // namespace

FileFrameReader::~FileFrameReader() {
    stream_.reset(); // GStreamer lets go of the file before its descriptor closes
    if (fd_ >= 0) close(fd_);
    // A video's decoder threads each free into an allocator arena of their
    // own, which keeps what was freed; handing it back after every file
    // keeps a long run over many videos at the size of one.
    if (fd_ >= 0) malloc_trim(0);
}

std::unique_ptr<FileFrameReader> FileFrameReader::Open(const std::string& path, std::string& error,
                                                       std::string* detail) {
    const bool standardInput = path == kStandardInput;
    Input input;
    if (!(standardInput ? OpenStandardInput(input, error) : OpenNamedFile(path, input, error)))
        return nullptr;

    std::array<std::byte, kSniffBytes> head{};
    const ssize_t headBytes = pread(input.fd.Get(), head.data(), head.size(), 0);
    if (headBytes < 0) {
        error = "cannot be read (" + SystemError(errno) + ")";
        return nullptr;
    }
    if (headBytes == 0) {
        error = standardInput ? "nothing came on standard input" : "the file is empty";
        return nullptr;
    }

    std::unique_ptr<FileFrameReader> reader(new FileFrameReader());
    if (const StillFormat* format =
            SniffStillFormat(std::span(head).first(std::size_t(headBytes)))) {
        if (lseek(input.fd.Get(), 0, SEEK_SET) != 0) {
            error = "cannot be read (" + SystemError(errno) + ")";
            return nullptr;
        }
        std::string libraryWords;
        reader->still_ = StillPicture::Read(input.fd.Get(), *format, error, libraryWords);
        if (!reader->still_) {
            if (detail) *detail = libraryWords;
            return nullptr;
        }
        reader->picturesLeft_ = reader->still_->Pictures();
        return reader;
    }
    reader->stream_ = GstFrameReader::OpenFile(input.streamPath, {}, error);
    if (!reader->stream_) {
        if (detail) *detail = GstFrameReader::LastDetail();
        return nullptr;
    }
    reader->fd_ = input.fd.Release();
    return reader;
}

GstPullResult FileFrameReader::PullFrame(std::span<std::uint32_t> pixels, std::size_t rowPixels) {
    if (stream_) return stream_->PullFrame(pixels, rowPixels);
    if (rowPixels < std::size_t(kFrameWidth) ||
        pixels.size() < (kFrameHeight - 1) * rowPixels + kFrameWidth) {
        error_ = "the frame buffer is smaller than 640x480";
        return GstPullResult::kError;
    }
    if (repeatsLeft_ == 0) {
        if (picturesLeft_ == 0) return GstPullResult::kEndOfStream;
        --picturesLeft_;
        shown_.resize(std::size_t(kFrameWidth) * kFrameHeight);
        const int milliseconds = still_->NextPicture(shown_, kFrameWidth);
        if (milliseconds < 0) {
            error_ = "a picture of the file could not be decoded";
            return GstPullResult::kError;
        }
        repeatsLeft_ = still_->Pictures() == 1
                           ? 1
                           : std::max(1, int(std::lround(milliseconds * kAnimationFps / 1000.0)));
    }
    --repeatsLeft_;
    for (int y = 0; y < kFrameHeight; ++y)
        std::copy_n(shown_.begin() + std::ptrdiff_t(y) * kFrameWidth, kFrameWidth,
                    pixels.begin() + std::ptrdiff_t(y) * std::ptrdiff_t(rowPixels));
    return GstPullResult::kFrame;
}

const std::string& FileFrameReader::Error() const {
    return stream_ ? stream_->Error() : error_;
}

const std::string& FileFrameReader::ErrorDetail() const {
    static const std::string none;
    return stream_ ? stream_->ErrorDetail() : none;
}

const std::string& FileFrameReader::Note() const {
    static const std::string none;
    return still_ ? still_->Note() : none;
}

namespace {

GLogWriterOutput DropWarnings(GLogLevelFlags level, const GLogField* fields, gsize count,
                              gpointer data) {
    if (level & G_LOG_LEVEL_ERROR) return g_log_writer_default(level, fields, count, data);
    return G_LOG_WRITER_HANDLED;
}

} // namespace

void SilenceLibraryWarnings() {
    g_log_set_writer_func(DropWarnings, nullptr, nullptr);
}
