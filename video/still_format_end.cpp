// A byte-at-a-time walk over the few structures that say where a picture
// ends; counted parts (segments, chunks, colour tables) are skipped whole.
#include "video/still_format_end.h"

#include <algorithm>
#include <cstring>

namespace {

constexpr std::size_t kGifHeaderBytes = 13; // signature and logical screen descriptor
constexpr std::size_t kGifImageBytes = 9;   // an image descriptor
constexpr std::size_t kPngSignatureBytes = 8;
constexpr std::size_t kPngChunkHeadBytes = 8; // length and type
constexpr std::size_t kPngCrcBytes = 4;
constexpr std::size_t kRiffHeadBytes = 8; // "RIFF" and the size of what follows
// Bytes between JPEG segments that are no marker; decoders skip a few
// (some cameras pad), a run this long is no JPEG any more.
constexpr std::uint64_t kMaxJpegGarbage = 64 * 1024;
constexpr std::uint64_t kMaxPngChunk = std::uint64_t(1) << 31;

std::uint64_t ColourTableBytes(std::uint8_t flags) {
    return (flags & 0x80) ? std::uint64_t(3) << ((flags & 7) + 1) : 0;
}

} // namespace

StillEndFinder::StillEndFinder(const StillFormat& format) {
    const std::string_view name = format.name;
    kind_ = name == "GIF"    ? Kind::kGif
            : name == "JPEG" ? Kind::kJpeg
            : name == "PNG"  ? Kind::kPng
            : name == "WebP" ? Kind::kWebP
                             : Kind::kNone;
}

void StillEndFinder::Skip(std::uint64_t count, State then) {
    if (count == 0) {
        state_ = then;
        return;
    }
    skip_ = count;
    next_ = then;
    state_ = State::kSkip;
}

std::size_t StillEndFinder::Take(std::span<const std::byte> bytes) {
    if (kind_ == Kind::kNone) return bytes.size();
    std::size_t i = 0;
    while (i < bytes.size()) {
        if (state_ == State::kEnded || state_ == State::kBroken) break;
        if (state_ == State::kSkip) {
            const auto n = std::size_t(std::min<std::uint64_t>(skip_, bytes.size() - i));
            i += n;
            skip_ -= n;
            if (skip_ == 0) state_ = next_;
            continue;
        }
        if (state_ == State::kEntropy) {
            const void* ff = std::memchr(bytes.data() + i, 0xFF, bytes.size() - i);
            if (!ff) {
                i = bytes.size();
                continue;
            }
            i = std::size_t(static_cast<const std::byte*>(ff) - bytes.data()) + 1;
            state_ = State::kLabel;
            continue;
        }
        Step(std::uint8_t(bytes[i++]));
    }
    offset_ += i;
    return i;
}

void StillEndFinder::Step(std::uint8_t byte) {
    auto collect = [&](std::size_t size) {
        field_[count_++] = byte;
        if (std::size_t(count_) < size) return false;
        count_ = 0;
        return true;
    };
    switch (kind_) {
    case Kind::kGif:
        switch (state_) {
        case State::kHeader:
            if (collect(kGifHeaderBytes)) Skip(ColourTableBytes(field_[10]), State::kBlock);
            return;
        case State::kBlock:
            state_ = byte == '!'   ? State::kLabel
                     : byte == ',' ? State::kImage
                     : byte == ';' ? State::kEnded
                                   : State::kBroken;
            return;
        case State::kLabel:
            state_ = State::kSubBlock;
            return;
        case State::kSubBlock:
            if (byte == 0)
                state_ = State::kBlock;
            else
                Skip(byte, State::kSubBlock);
            return;
        case State::kImage:
            if (!collect(kGifImageBytes)) return;
            ++pictures_;
            // The local colour table, then the LZW code size, then the data.
            Skip(ColourTableBytes(field_[8]) + 1, State::kSubBlock);
            return;
        default:
            return;
        }
    case Kind::kJpeg:
        switch (state_) {
        case State::kHeader:
            if (!collect(2)) return;
            state_ = field_[0] == 0xFF && field_[1] == 0xD8 ? State::kBlock : State::kBroken;
            return;
        case State::kBlock:
            if (byte == 0xFF)
                state_ = State::kLabel;
            else if (++garbage_ > kMaxJpegGarbage)
                state_ = State::kBroken;
            return;
        case State::kLabel:
            if (byte == 0xFF) return; // fill bytes
            if (afterScan_ && (byte == 0x00 || (byte >= 0xD0 && byte <= 0xD7))) {
                state_ = State::kEntropy; // a stuffed 0xFF or a restart marker
                return;
            }
            if (byte == 0x00) {
                state_ = State::kBlock;
                garbage_ += 2;
                return;
            }
            afterScan_ = false;
            garbage_ = 0;
            if (byte == 0xD9)
                state_ = State::kEnded;
            else if (byte == 0x01 || byte == 0xD8 || (byte >= 0xD0 && byte <= 0xD7))
                state_ = State::kBlock; // markers without a length
            else {
                afterScan_ = byte == 0xDA;
                state_ = State::kLength;
            }
            return;
        case State::kLength:
            if (!collect(2)) return;
            if (const unsigned length = unsigned(field_[0]) << 8 | field_[1]; length < 2)
                state_ = State::kBroken;
            else
                Skip(length - 2, afterScan_ ? State::kEntropy : State::kBlock);
            return;
        default:
            return;
        }
    case Kind::kPng:
        switch (state_) {
        case State::kHeader:
            if (collect(kPngSignatureBytes)) state_ = State::kLength;
            return;
        case State::kLength: {
            if (!collect(kPngChunkHeadBytes)) return;
            const std::uint64_t length =
                std::uint64_t(field_[0]) << 24 | field_[1] << 16 | field_[2] << 8 | field_[3];
            if (length >= kMaxPngChunk) {
                state_ = State::kBroken;
                return;
            }
            lastChunk_ = std::memcmp(field_ + 4, "IEND", 4) == 0;
            Skip(length + kPngCrcBytes, lastChunk_ ? State::kEnded : State::kLength);
            return;
        }
        default:
            return;
        }
    case Kind::kWebP:
        if (state_ == State::kHeader && collect(kRiffHeadBytes)) {
            const std::uint64_t size = std::uint64_t(field_[4]) | field_[5] << 8 | field_[6] << 16 |
                                       std::uint64_t(field_[7]) << 24;
            Skip(size + (size & 1), State::kEnded);
        }
        return;
    case Kind::kNone:
        return;
    }
}
