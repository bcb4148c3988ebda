#pragma once

#include <array>
#include <cstddef>
#include <cstring>
#include <ostream>
#include <string>
#include <string_view>

namespace quillset {

// A bit string of at most 64 characters held in place. Every table primitive's output fits, so
// a block is deciphered without touching the heap for its intermediate values.
class ShortBits {
public:
    static constexpr std::size_t kCapacity = 64;

    ShortBits() = default;
    // Keeps at most the first 64 characters.
    explicit ShortBits(std::string_view bits) { append(bits); }
    // Copies only the characters in use; the rest of the storage is never read.
    ShortBits(const ShortBits& other) : size_(other.size_) {
        std::memcpy(chars_.data(), other.chars_.data(), size_);
    }
    ShortBits& operator=(const ShortBits& other) {
        if (this != &other) {
            size_ = other.size_;
            std::memcpy(chars_.data(), other.chars_.data(), size_);
        }
        return *this;
    }

    std::string_view view() const { return {chars_.data(), size_}; }
    operator std::string_view() const { return view(); }
    std::size_t size() const { return size_; }
    char* data() { return chars_.data(); }

    void append(std::string_view bits) {
        const std::size_t room = kCapacity - size_;
        const std::size_t count = bits.size() < room ? bits.size() : room;
        // An empty view may have no data at all, which memcpy must not be given.
        if (count == 0)
            return;
        std::memcpy(chars_.data() + size_, bits.data(), count);
        size_ += count;
    }
    // For filling through data(): the new size, at most the capacity.
    void resize(std::size_t size) { size_ = size < kCapacity ? size : kCapacity; }

    friend bool operator==(const ShortBits& bits, std::string_view other) {
        return bits.view() == other;
    }
    friend std::ostream& operator<<(std::ostream& out, const ShortBits& bits) {
        return out << bits.view();
    }

private:
    std::array<char, kCapacity> chars_;
    std::size_t size_ = 0;
};

} // namespace quillset
