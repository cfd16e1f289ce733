#include "engine/ListBlock.h"

#include <algorithm>
#include <bit>
#include <cstddef>
#include <limits>
#include <stdexcept>
#include <string_view>

#include "engine/FormatError.h"
#include "platform/SixteenBytes.h"

namespace quarrow {

namespace {

constexpr std::string_view kLineBreak = "\r\n";

void appendLittleEndian(std::string& out, std::uint32_t bits, int width) {
    for (int i = 0; i < width; ++i) {
        out.push_back(static_cast<char>((bits >> (8 * i)) & 0xFF));
    }
}

std::int32_t checkedBlockLength(std::size_t bytes) {
    if (bytes > static_cast<std::size_t>(std::numeric_limits<std::int32_t>::max())) {
        throw std::length_error("list block longer than 2 GiB");
    }
    return static_cast<std::int32_t>(bytes);
}

// Reads the block's length and hands back its text, checked against what is left.
bool readBlockText(ByteReader& reader, std::string_view& text, std::string* error) {
    std::int32_t length = 0;
    if (!readTaggedInt(reader, length, error)) return false;
    if (length < 0) {
        return formatError(error, "list block length " + std::to_string(length) + " is negative");
    }
    if (!reader.readBytes(static_cast<std::size_t>(length), text)) {
        return formatError(error, "list block length " + std::to_string(length) +
                                      " runs past the end (" + std::to_string(reader.remaining()) +
                                      " bytes left)");
    }
    return true;
}

// Calls `emit` for each line of `text` as described for readListBlock.
template <typename Emit>
void splitLines(std::string_view text, Emit emit) {
    std::size_t start = 0;
    const auto breakAt = [&](std::size_t i) {
        if (i < start) return;  // the LF of a CR LF
        emit(text.substr(start, i - start));
        if (text[i] == '\r' && i + 1 < text.size() && text[i + 1] == '\n') ++i;
        start = i + 1;
    };
#if defined(__SSE2__)
    // The breaks of sixteen bytes at a time, found without a branch on each byte.
    forEachSixteen(text, [&](std::size_t from, __m128i bytes) {
        for (unsigned breaks = bytesEqual(bytes, '\r') | bytesEqual(bytes, '\n'); breaks != 0;
             breaks &= breaks - 1)
            breakAt(from + static_cast<std::size_t>(std::countr_zero(breaks)));
    });
#else
    for (std::size_t i = 0; i < text.size(); ++i)
        if (text[i] == '\r' || text[i] == '\n') breakAt(i);
#endif
    if (start < text.size()) emit(text.substr(start));
}

// Upper bound on the line count for CR LF text, which every writer produces.
std::size_t expectedLines(std::string_view text) {
#if defined(__SSE2__)
    // Each byte of `counts` counts the LFs in its place of up to 255 runs of sixteen bytes.
    const __m128i lf = _mm_set1_epi8('\n');
    __m128i counts = _mm_setzero_si128();
    std::size_t runs = 0, breaks = 0;
    const auto addUp = [&] {
        const __m128i sums = _mm_sad_epu8(counts, _mm_setzero_si128());
        breaks += static_cast<std::size_t>(_mm_cvtsi128_si32(sums)) +
                  static_cast<std::size_t>(_mm_extract_epi16(sums, 4));
        counts = _mm_setzero_si128();
    };
    forEachSixteen(text, [&](std::size_t, __m128i bytes) {
        counts = _mm_sub_epi8(counts, _mm_cmpeq_epi8(bytes, lf));
        if (++runs % 255 == 0) addUp();
    });
    addUp();
    return breaks + 1;
#else
    return static_cast<std::size_t>(std::count(text.begin(), text.end(), '\n')) + 1;
#endif
}

}  // namespace

void appendTaggedInt(std::string& out, std::int32_t value) {
    const auto bits = static_cast<std::uint32_t>(value);
    if (value >= std::numeric_limits<std::int8_t>::min() &&
        value <= std::numeric_limits<std::int8_t>::max()) {
        out.push_back('\x02');
        appendLittleEndian(out, bits, 1);
    } else if (value >= std::numeric_limits<std::int16_t>::min() &&
               value <= std::numeric_limits<std::int16_t>::max()) {
        out.push_back('\x03');
        appendLittleEndian(out, bits, 2);
    } else {
        out.push_back('\x04');
        appendLittleEndian(out, bits, 4);
    }
}

void appendListBlock(std::string& out, const std::vector<std::string>& lines) {
    std::size_t bytes = 0;
    for (const std::string& line : lines) bytes += line.size() + kLineBreak.size();
    appendTaggedInt(out, checkedBlockLength(bytes));
    out.reserve(out.size() + bytes);
    for (const std::string& line : lines) {
        out += line;
        out += kLineBreak;
    }
}

void appendListBlock(std::string& out, const StringList& lines) {
    std::size_t bytes = 0;
    for (std::size_t i = 0; i < lines.size(); ++i) bytes += lines.at(i).size() + kLineBreak.size();
    appendTaggedInt(out, checkedBlockLength(bytes));
    out.reserve(out.size() + bytes);
    for (std::size_t i = 0; i < lines.size(); ++i) {
        out += lines.at(i);
        out += kLineBreak;
    }
}

bool readTaggedInt(ByteReader& reader, std::int32_t& value, std::string* error) {
    std::uint8_t type = 0;
    if (!reader.readByte(type)) return formatError(error, "tagged integer missing at the end");
    std::uint32_t bits = 0;
    switch (type) {
        case 2:
            if (!reader.readUnsignedLE(1, bits)) break;
            value = static_cast<std::int8_t>(bits);
            return true;
        case 3:
            if (!reader.readUnsignedLE(2, bits)) break;
            value = static_cast<std::int16_t>(bits);
            return true;
        case 4:
            if (!reader.readUnsignedLE(4, bits)) break;
            value = static_cast<std::int32_t>(bits);
            return true;
        default:
            return formatError(error, "unknown tagged integer type " + std::to_string(type));
    }
    return formatError(error,
                       "tagged integer of type " + std::to_string(type) + " cut off at the end");
}

bool readListBlock(ByteReader& reader, StringList& out, std::string* error) {
    out.truncate(0);  // keeps the room a reused list has
    std::string_view text;
    if (!readBlockText(reader, text, error)) return false;
    out.reserve(expectedLines(text), text.size());
    out.appendMany(text.size(), [&](auto add) { splitLines(text, add); });
    return true;
}

bool readListBlock(ByteReader& reader, std::vector<std::string>& out, std::string* error) {
    out.clear();
    std::string_view text;
    if (!readBlockText(reader, text, error)) return false;
    out.reserve(expectedLines(text));
    splitLines(text, [&out](std::string_view line) { out.emplace_back(line); });
    return true;
}

}  // namespace quarrow
