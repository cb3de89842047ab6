// SPDX-License-Identifier: GPL-3.0-or-later
// WOFF2 fonts: a header that gives the file's length, a table directory of
// variable-length numbers, and all tables in one Brotli stream, which must
// decode to exactly the lengths the directory gives. The stream is decoded
// through libbrotli as far as the head reaches and a little beyond, to its
// end where that is near.

#include <brotli/decode.h>

#include <array>
#include <memory>

#include "format_checks.h"

namespace quarnix::structure {
namespace {

constexpr std::size_t HeaderLength = 48;
constexpr std::uint64_t ReadPastHead = 64 * 1024;
constexpr std::uint64_t OutputLimit = 1024 * 1024;
// Tag indexes of the tables whose transform version 0 transforms them.
constexpr std::uint8_t GlyfIndex = 10, LocaIndex = 11;
constexpr std::uint8_t ArbitraryTag = 63;

// A UIntBase128 number at `at`, moving `at` past it; nullopt for an invalid
// one (a leading zero, more than five bytes, past 32 bits) and for one cut
// off, told apart by `cut`.
std::optional<std::uint32_t> Base128(Bytes b, std::size_t& at, bool& cut) {
    std::uint64_t value = 0;
    for (int i = 0; i < 5; ++i) {
        if (at >= b.size()) {
            cut = true;
            return std::nullopt;
        }
        const std::uint8_t byte = b[at++];
        if (i == 0 && byte == 0x80) {
            return std::nullopt;
        }
        value = value << 7 | (byte & 0x7f);
        if (value > UINT32_MAX) {
            return std::nullopt;
        }
        if ((byte & 0x80) == 0) {
            return static_cast<std::uint32_t>(value);
        }
    }
    return std::nullopt;
}

struct Directory {
    std::size_t End = 0;        // offset just past it
    std::uint64_t Decoded = 0;  // what the stream holds: each table's stored length
    bool Broken = false;        // a number or a length that no font has
};

// The table directory after the header; End 0 when cut off.
Directory ReadDirectory(Bytes b, std::uint16_t tables) {
    Directory directory;
    std::size_t at = HeaderLength;
    bool cut = false;
    for (std::uint16_t i = 0; i < tables; ++i) {
        if (at >= b.size()) {
            return {};
        }
        const std::uint8_t flags = b[at++];
        const std::uint8_t index = flags & 0x3f, version = flags >> 6;
        if (index == ArbitraryTag) {
            at += 4;
        }
        const auto original = Base128(b, at, cut);
        const bool glyfOrLoca = index == GlyfIndex || index == LocaIndex;
        const bool transformed = glyfOrLoca ? version == 0 : version != 0;
        std::optional<std::uint32_t> stored = original;
        if (original && transformed) {
            stored = Base128(b, at, cut);
            if (stored && index == LocaIndex && *stored != 0) {
                directory.Broken = true;  // a transformed loca table is rebuilt, never stored
                return directory;
            }
        }
        if (cut) {
            return {};
        }
        if (!stored) {
            directory.Broken = true;
            return directory;
        }
        directory.Decoded += *stored;
    }
    directory.End = at;
    return directory;
}

enum class Decoded { Broken, Ended, Unfinished };

// Decodes the Brotli stream `input`; Ended when it ends exactly at the
// input's end (`whole`: the input is the whole stream) having made
// `expected` bytes.
Decoded DecodeStream(Bytes input, bool whole, std::uint64_t expected) {
    const std::unique_ptr<BrotliDecoderState, decltype(&BrotliDecoderDestroyInstance)> state(
        BrotliDecoderCreateInstance(nullptr, nullptr, nullptr), BrotliDecoderDestroyInstance);
    if (!state) {
        return Decoded::Unfinished;
    }
    std::array<std::uint8_t, 16 * 1024> scratch{};
    std::size_t availableIn = input.size();
    const std::uint8_t* nextIn = input.data();
    std::size_t produced = 0;
    while (produced <= OutputLimit) {
        std::size_t availableOut = scratch.size();
        std::uint8_t* nextOut = scratch.data();
        const BrotliDecoderResult result = BrotliDecoderDecompressStream(
            state.get(), &availableIn, &nextIn, &availableOut, &nextOut, &produced);
        switch (result) {
            case BROTLI_DECODER_RESULT_ERROR:
                return Decoded::Broken;
            case BROTLI_DECODER_RESULT_SUCCESS:
                if (!whole) {
                    return Decoded::Unfinished;  // ended within the part at hand: leave it
                }
                return availableIn == 0 && produced == expected ? Decoded::Ended : Decoded::Broken;
            case BROTLI_DECODER_RESULT_NEEDS_MORE_INPUT:
                return whole ? Decoded::Broken : Decoded::Unfinished;
            case BROTLI_DECODER_RESULT_NEEDS_MORE_OUTPUT:
                break;
        }
    }
    return Decoded::Unfinished;
}

}  // namespace

bool LooksLikeWoff2(const FileView& file) {
    return HasAt(file.Head(), 0, "wOF2");
}

Finding CheckWoff2(const FileView& file) {
    Finding finding = FindingFor("font/woff2");
    const auto bytes = file.UpTo(0, file.Head().size() + ReadPastHead);
    if (!bytes || bytes->size() < HeaderLength) {
        return finding;
    }
    const Bytes b = *bytes;
    if (Be32(b, 8) != file.Length() || Be16(b, 14) != 0) {
        return finding.Break("WOFF2 header");
    }
    finding.Check(0, 4);
    finding.Check(8, 12);  // the file's length
    finding.Check(14, 16);
    finding.State = Integrity::Intact;
    if (HasAt(b, 4, "ttcf")) {
        return finding;  // a collection's directory of fonts comes before the stream
    }
    const Directory directory = ReadDirectory(b, Be16(b, 12));
    if (directory.Broken) {
        return finding.Break("table directory");
    }
    const std::uint64_t compressed = Be32(b, 20);
    if (directory.End == 0) {
        return finding;
    }
    if (compressed > file.Length() - directory.End) {
        return finding.Break("compressed data past the file's end");
    }
    const bool whole = directory.End + compressed <= b.size();
    const Bytes stream = b.subspan(directory.End, whole ? compressed : b.size() - directory.End);
    switch (DecodeStream(stream, whole, directory.Decoded)) {
        case Decoded::Broken:
            return finding.Break("compressed tables");
        case Decoded::Ended:
            finding.Check(HeaderLength, directory.End + compressed);
            break;
        case Decoded::Unfinished:
            break;
    }
    return finding;
}

}  // namespace quarnix::structure
