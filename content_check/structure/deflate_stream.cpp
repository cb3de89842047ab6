// SPDX-License-Identifier: GPL-3.0-or-later
#include "deflate_stream.h"

#include <algorithm>
#include <array>

namespace quarnix::structure {

DeflateStream::DeflateStream(Wrap wrap) {
    if (inflateInit2(&zs_, wrap == Wrap::Raw ? -15 : 15) != Z_OK) {
        state_ = State::Unsupported;
    }
    crc_ = static_cast<std::uint32_t>(crc32(0, nullptr, 0));
}

DeflateStream::~DeflateStream() {
    inflateEnd(&zs_);
}

DeflateStream::State DeflateStream::Feed(Bytes input, std::uint64_t outputLimit) {
    std::array<std::uint8_t, 32768> out;
    std::size_t offset = 0;
    while (state_ == State::Running && offset < input.size()) {
        if (produced_ > outputLimit) {
            break;
        }
        const std::size_t chunk = std::min<std::size_t>(input.size() - offset, 1u << 30);
        zs_.next_in = const_cast<Bytef*>(input.data() + offset);
        zs_.avail_in = static_cast<uInt>(chunk);
        zs_.next_out = out.data();
        zs_.avail_out = static_cast<uInt>(out.size());
        const int answer = inflate(&zs_, Z_NO_FLUSH);
        const std::size_t used = chunk - zs_.avail_in;
        const std::size_t made = out.size() - zs_.avail_out;
        offset += used;
        consumed_ += used;
        produced_ += made;
        crc_ = static_cast<std::uint32_t>(crc32(crc_, out.data(), static_cast<uInt>(made)));
        switch (answer) {
            case Z_STREAM_END:
                state_ = State::Ended;
                break;
            case Z_OK:
            case Z_BUF_ERROR:  // no progress possible: more input needed
                if (used == 0 && made == 0) {
                    return state_;
                }
                break;
            case Z_DATA_ERROR:
                state_ = State::Broken;
                break;
            default:  // Z_NEED_DICT, Z_MEM_ERROR, Z_STREAM_ERROR
                state_ = State::Unsupported;
                break;
        }
    }
    return state_;
}

}  // namespace quarnix::structure
