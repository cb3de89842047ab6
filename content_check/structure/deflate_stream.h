// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Runs zlib's inflate over deflate data given in pieces, keeping only the
// count and the CRC-32 of what comes out: enough to tell whether the data is
// a valid stream and whether it holds what its container says.

#include <zlib.h>

#include <cstdint>

#include "file_view.h"

namespace quarnix::structure {

class DeflateStream {
  public:
    enum class Wrap { Raw, Zlib };
    enum class State {
        Running,      // all input taken, no end yet
        Ended,        // the stream's last block ended (and its check held)
        Broken,       // the data is not a valid stream
        Unsupported,  // a preset dictionary, or zlib could not start
    };

    explicit DeflateStream(Wrap wrap);
    ~DeflateStream();
    DeflateStream(const DeflateStream&) = delete;
    DeflateStream& operator=(const DeflateStream&) = delete;

    // Takes more input; stops at the stream's end, at an error, or once more
    // than `outputLimit` bytes came out in all (Running then).
    State Feed(Bytes input, std::uint64_t outputLimit = UINT64_MAX);

    State state() const { return state_; }
    std::uint64_t Consumed() const { return consumed_; }  // input bytes used
    std::uint64_t Produced() const { return produced_; }
    std::uint32_t Crc() const { return crc_; }

  private:
    z_stream zs_{};
    State state_ = State::Running;
    std::uint64_t consumed_ = 0;
    std::uint64_t produced_ = 0;
    std::uint32_t crc_ = 0;
};

}  // namespace quarnix::structure
