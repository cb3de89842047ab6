// SPDX-License-Identifier: GPL-3.0-or-later
#include "engine/format/key_material.h"

#include <string.h>
#include <sys/mman.h>
#include <unistd.h>

#include <new>
#include <numeric>

namespace quarnix {
namespace {

std::size_t WholePages(std::size_t bytes) {
    const auto page = static_cast<std::size_t>(::sysconf(_SC_PAGESIZE));
    return (bytes + page - 1) / page * page;
}

}  // namespace

void* AllocateSecret(std::size_t bytes) {
    const std::size_t size = WholePages(bytes == 0 ? 1 : bytes);
    void* memory =
        ::mmap(nullptr, size, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
    if (memory == MAP_FAILED) {
        throw std::bad_alloc();
    }
    // A hint: where the kernel lacks it, the process refuses core dumps anyway.
    ::madvise(memory, size, MADV_DONTDUMP);
    return memory;
}

void FreeSecret(void* memory, std::size_t bytes) noexcept {
    const std::size_t size = WholePages(bytes == 0 ? 1 : bytes);
    ::explicit_bzero(memory, size);
    ::munmap(memory, size);
}

std::optional<std::uint8_t> CharacterCode(char16_t unit) {
    if (unit <= 0x7F) {
        return static_cast<std::uint8_t>(unit);
    }
    if (unit == u'\u20AC') {
        return std::uint8_t{0x80};
    }
    return std::nullopt;
}

std::optional<KeyArray> KeyBytes(std::u16string_view text, KeyError* error) {
    if (text.size() > MaxKeyTextLength) {
        if (error != nullptr) {
            *error = {KeyError::Kind::TooLong, MaxKeyTextLength, text[MaxKeyTextLength]};
        }
        return std::nullopt;
    }
    KeyArray key(text.size() + 1, 0);
    for (std::size_t i = 0; i < text.size(); ++i) {
        const auto code = CharacterCode(text[i]);
        if (!code) {
            if (error != nullptr) {
                *error = {KeyError::Kind::UnmappableCharacter, i, text[i]};
            }
            return std::nullopt;
        }
        key[i] = *code;
    }
    return key;
}

std::int32_t CodeSum(const KeyArray& key) {
    return std::accumulate(key.begin(), key.end(), std::int32_t{0});
}

std::uint8_t FirstCode(const KeyArray& key) {
    return key.empty() ? 0 : key.front();
}

}  // namespace quarnix
