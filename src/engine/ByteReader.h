#pragma once

#include <cstddef>
#include <cstdint>
#include <string_view>

namespace quarrow {

// A bounded cursor over bytes read from a file. Every read checks what is left first and
// fails without moving when the data is too short, so a damaged length can never make a
// reader step past the end.
class ByteReader {
public:
    explicit ByteReader(std::string_view data) : data_(data) {}

    std::size_t position() const { return pos_; }
    std::size_t remaining() const { return data_.size() - pos_; }
    bool atEnd() const { return pos_ == data_.size(); }
    std::string_view rest() const { return data_.substr(pos_); }

    bool readBytes(std::size_t count, std::string_view& out) {
        if (count > remaining()) return false;
        out = data_.substr(pos_, count);
        pos_ += count;
        return true;
    }

    bool readByte(std::uint8_t& out) {
        if (atEnd()) return false;
        out = static_cast<std::uint8_t>(data_[pos_++]);
        return true;
    }

    // Little-endian unsigned integer of `width` bytes (at most 4).
    bool readUnsignedLE(std::size_t width, std::uint32_t& out) {
        std::string_view bytes;
        if (width > 4 || !readBytes(width, bytes)) return false;
        out = 0;
        for (std::size_t i = width; i-- > 0;) {
            out = (out << 8) | static_cast<std::uint8_t>(bytes[i]);
        }
        return true;
    }

private:
    std::string_view data_;
    std::size_t pos_ = 0;
};

}  // namespace quarrow
