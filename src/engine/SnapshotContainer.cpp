#include "engine/SnapshotContainer.h"

// Lets zlib take the input as const bytes.
#define ZLIB_CONST
#include <zlib.h>

#include <algorithm>
#include <cstdint>
#include <limits>
#include <new>
#include <stdexcept>

#include "engine/ByteReader.h"
#include "engine/FormatError.h"

namespace quarrow {

namespace {

constexpr std::uint32_t kEntryCount = 1;
// Deflate cannot expand data by more than about 1032:1; anything beyond that plus some
// slack for tiny inputs is a forged size, not a real snapshot.
constexpr std::uint64_t kMaxInflateRatio = 1032;
constexpr std::uint64_t kInflateSlack = 64 * 1024;
constexpr std::size_t kInflateChunk = 64 * 1024;
constexpr std::size_t kMaxInputSlice = std::size_t{1} << 30;
// Text compresses by a factor of a few; reserving this much up front avoids most regrowth
// without trusting R itself.
constexpr std::size_t kReserveRatio = 8;

void appendU32(std::string& out, std::uint32_t value) {
    for (int i = 0; i < 4; ++i) out.push_back(static_cast<char>((value >> (8 * i)) & 0xFF));
}

std::uint32_t checkedU32(std::size_t size, const char* what) {
    if (size > std::numeric_limits<std::uint32_t>::max()) {
        throw std::length_error(std::string("snapshot ") + what + " longer than 4 GiB");
    }
    return static_cast<std::uint32_t>(size);
}

std::string compressLevel9(std::string_view content) {
    uLongf size = compressBound(static_cast<uLong>(content.size()));
    std::string packed(size, '\0');
    const int rc = compress2(reinterpret_cast<Bytef*>(packed.data()), &size,
                             reinterpret_cast<const Bytef*>(content.data()),
                             static_cast<uLong>(content.size()), Z_BEST_COMPRESSION);
    // compressBound guarantees room, so only memory exhaustion can fail here.
    if (rc != Z_OK) throw std::bad_alloc();
    packed.resize(size);
    return packed;
}

bool damaged(std::string* error, const std::string& what) {
    return formatError(error, "snapshot damaged: " + what);
}

struct InflateStream {
    z_stream z{};
    bool open = false;
    InflateStream() { open = inflateInit(&z) == Z_OK; }
    ~InflateStream() {
        if (open) inflateEnd(&z);
    }
    InflateStream(const InflateStream&) = delete;
    InflateStream& operator=(const InflateStream&) = delete;
};

// Inflates `packed` into `out`, which must come to exactly `expected` bytes. Output grows
// chunk by chunk, so memory follows the data actually produced.
bool inflateExactly(std::string_view packed, std::uint32_t expected, LargeString& out,
                    std::string* error) {
    InflateStream stream;
    if (!stream.open) return formatError(error, "cannot start decompression");
    out.clear();
    out.reserve(std::min<std::size_t>(expected, packed.size() * kReserveRatio + kInflateChunk));
    char chunk[kInflateChunk];
    int rc = Z_OK;
    while (rc != Z_STREAM_END) {
        if (stream.z.avail_in == 0 && !packed.empty()) {
            // avail_in is 32 bits wide, so very large input is fed in slices.
            const std::size_t slice = std::min<std::size_t>(packed.size(), kMaxInputSlice);
            stream.z.next_in = reinterpret_cast<const Bytef*>(packed.data());
            stream.z.avail_in = static_cast<uInt>(slice);
            packed.remove_prefix(slice);
        }
        stream.z.next_out = reinterpret_cast<Bytef*>(chunk);
        stream.z.avail_out = sizeof chunk;
        rc = inflate(&stream.z, Z_NO_FLUSH);
        if (rc == Z_NEED_DICT || rc == Z_DATA_ERROR || rc == Z_STREAM_ERROR) {
            return damaged(error, std::string("compressed content is corrupt (") +
                                      (stream.z.msg ? stream.z.msg : "zlib error") + ")");
        }
        if (rc == Z_MEM_ERROR) return formatError(error, "out of memory while decompressing");
        const std::size_t produced = sizeof chunk - stream.z.avail_out;
        if (out.size() + produced > expected) {
            return damaged(error, "content inflates to more than the stated " +
                                      std::to_string(expected) + " bytes");
        }
        out.append(chunk, produced);
        // No progress with room to write means the input ran out before the stream ended.
        if (rc == Z_BUF_ERROR) {
            return damaged(error, "compressed content is cut off after " +
                                      std::to_string(out.size()) + " bytes");
        }
    }
    if (out.size() != expected) {
        return damaged(error, "content inflates to " + std::to_string(out.size()) +
                                  " bytes, not the stated " + std::to_string(expected));
    }
    return true;
}

}  // namespace

std::string packSnapshot(std::string_view entryName, std::string_view content) {
    const std::uint32_t nameLength = checkedU32(entryName.size(), "entry name");
    const std::uint32_t contentLength = checkedU32(content.size(), "content");
    std::string packed = compressLevel9(content);
    std::string out;
    out.reserve(12 + entryName.size() + packed.size());
    appendU32(out, kEntryCount);
    appendU32(out, nameLength);
    out.append(entryName);
    appendU32(out, contentLength);
    out += packed;
    return out;
}

std::optional<std::uint32_t> statedContentLength(std::string_view fileStart) {
    ByteReader reader(fileStart);
    std::uint32_t count = 0, nameLength = 0, contentLength = 0;
    std::string_view name;
    if (!reader.readUnsignedLE(4, count) || count == 0 || !reader.readUnsignedLE(4, nameLength) ||
        !reader.readBytes(nameLength, name) || !reader.readUnsignedLE(4, contentLength))
        return std::nullopt;
    return contentLength;
}

bool unpackSnapshot(std::string_view fileBytes, std::string& entryName, LargeString& content,
                    std::string* error) {
    ByteReader reader(fileBytes);
    std::uint32_t count = 0;
    std::uint32_t nameLength = 0;
    std::uint32_t contentLength = 0;
    std::string_view name;
    if (!reader.readUnsignedLE(4, count)) return damaged(error, "file too short for a header");
    if (count == 0) return damaged(error, "entry count is 0");
    if (!reader.readUnsignedLE(4, nameLength)) return damaged(error, "entry name length missing");
    if (!reader.readBytes(nameLength, name)) {
        return damaged(error,
                       "entry name length " + std::to_string(nameLength) + " runs past the end");
    }
    if (!reader.readUnsignedLE(4, contentLength)) return damaged(error, "content length missing");
    const std::uint64_t packedSize = reader.remaining();
    if (contentLength > packedSize * kMaxInflateRatio + kInflateSlack) {
        return damaged(error, "content length " + std::to_string(contentLength) +
                                  " is impossible for " + std::to_string(packedSize) +
                                  " compressed bytes");
    }
    if (!inflateExactly(reader.rest(), contentLength, content, error)) return false;
    entryName.assign(name);
    return true;
}

}  // namespace quarrow
