// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Key material: how a text becomes the byte array that a cipher pass cycles
// over, and the two numbers derived from a password that steer the rotations.

#include <cstddef>
#include <cstdint>
#include <memory>
#include <optional>
#include <string_view>
#include <vector>

namespace quarnix {

// The fixed key text that takes part in every pass at every level.
inline constexpr std::u16string_view KeyConstant = u"#qTe%358!MRW";

// The longest text that can become a key array (its length is a signed 16-bit count).
inline constexpr std::size_t MaxKeyTextLength = 32767;

// Whole pages of memory for key material, left out of core dumps
// (MADV_DONTDUMP); FreeSecret wipes them before giving them back. Throws
// std::bad_alloc when there is no memory.
void* AllocateSecret(std::size_t bytes);
void FreeSecret(void* memory, std::size_t bytes) noexcept;

// Memory for key material, kept out of core dumps and wiped before it is
// given back, so that no key byte outlives its command in freed memory.
template <typename T>
struct WipingAllocator {
    using value_type = T;
    WipingAllocator() = default;
    template <typename U>
    explicit WipingAllocator(const WipingAllocator<U>& /*other*/) noexcept {}
    T* allocate(std::size_t n) { return static_cast<T*>(AllocateSecret(n * sizeof(T))); }
    void deallocate(T* p, std::size_t n) noexcept { FreeSecret(p, n * sizeof(T)); }
    friend bool operator==(const WipingAllocator&, const WipingAllocator&) { return true; }
};

// Bytes of key material: wiped when dropped.
using KeyBytesBuffer = std::vector<std::uint8_t, WipingAllocator<std::uint8_t>>;

// One byte per character of the text, then one zero element: L + 1 elements.
using KeyArray = KeyBytesBuffer;

struct KeyError {
    enum class Kind { UnmappableCharacter, TooLong };
    Kind kind = Kind::UnmappableCharacter;
    std::size_t position = 0;  // index of the refused code unit
    char16_t character = 0;    // the refused code unit
};

// The single-byte code of a UTF-16 code unit under the Chinese Windows code
// page (CP936) that existing files were made with: ASCII gives itself and the
// euro sign gives 0x80. Every other code unit has no single-byte code.
std::optional<std::uint8_t> CharacterCode(char16_t unit);

// The key array of a text, or nothing (with *error filled when given) when the
// text is too long or holds a character without a single-byte code.
std::optional<KeyArray> KeyBytes(std::u16string_view text, KeyError* error = nullptr);

// Sum of the character codes of a key array (its zero element adds nothing).
std::int32_t CodeSum(const KeyArray& key);

// Character code of the first character; 0 for an empty text's array.
std::uint8_t FirstCode(const KeyArray& key);

}  // namespace quarnix
