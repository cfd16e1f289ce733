#include "platform/Cp1251.h"

#include <array>
#include <cstdint>
#include <optional>
#include <unordered_map>

namespace quarrow {
namespace {

// Unicode code points of bytes 0x80..0xFF (0x98, unassigned, stands for itself).
constexpr std::array<std::uint16_t, 128> kHighToUnicode = {
    0x0402, 0x0403, 0x201A, 0x0453, 0x201E, 0x2026, 0x2020, 0x2021, 0x20AC, 0x2030, 0x0409, 0x2039,
    0x040A, 0x040C, 0x040B, 0x040F, 0x0452, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014,
    0x0098, 0x2122, 0x0459, 0x203A, 0x045A, 0x045C, 0x045B, 0x045F, 0x00A0, 0x040E, 0x045E, 0x0408,
    0x00A4, 0x0490, 0x00A6, 0x00A7, 0x0401, 0x00A9, 0x0404, 0x00AB, 0x00AC, 0x00AD, 0x00AE, 0x0407,
    0x00B0, 0x00B1, 0x0406, 0x0456, 0x0491, 0x00B5, 0x00B6, 0x00B7, 0x0451, 0x2116, 0x0454, 0x00BB,
    0x0458, 0x0405, 0x0455, 0x0457, 0x0410, 0x0411, 0x0412, 0x0413, 0x0414, 0x0415, 0x0416, 0x0417,
    0x0418, 0x0419, 0x041A, 0x041B, 0x041C, 0x041D, 0x041E, 0x041F, 0x0420, 0x0421, 0x0422, 0x0423,
    0x0424, 0x0425, 0x0426, 0x0427, 0x0428, 0x0429, 0x042A, 0x042B, 0x042C, 0x042D, 0x042E, 0x042F,
    0x0430, 0x0431, 0x0432, 0x0433, 0x0434, 0x0435, 0x0436, 0x0437, 0x0438, 0x0439, 0x043A, 0x043B,
    0x043C, 0x043D, 0x043E, 0x043F, 0x0440, 0x0441, 0x0442, 0x0443, 0x0444, 0x0445, 0x0446, 0x0447,
    0x0448, 0x0449, 0x044A, 0x044B, 0x044C, 0x044D, 0x044E, 0x044F,
};

// The code page's upper-case byte for every byte.
constexpr std::array<std::uint8_t, 256> kUpper = {
    0x00, 0x01, 0x02, 0x03, 0x04, 0x05, 0x06, 0x07, 0x08, 0x09, 0x0A, 0x0B, 0x0C, 0x0D, 0x0E, 0x0F,
    0x10, 0x11, 0x12, 0x13, 0x14, 0x15, 0x16, 0x17, 0x18, 0x19, 0x1A, 0x1B, 0x1C, 0x1D, 0x1E, 0x1F,
    0x20, 0x21, 0x22, 0x23, 0x24, 0x25, 0x26, 0x27, 0x28, 0x29, 0x2A, 0x2B, 0x2C, 0x2D, 0x2E, 0x2F,
    0x30, 0x31, 0x32, 0x33, 0x34, 0x35, 0x36, 0x37, 0x38, 0x39, 0x3A, 0x3B, 0x3C, 0x3D, 0x3E, 0x3F,
    0x40, 0x41, 0x42, 0x43, 0x44, 0x45, 0x46, 0x47, 0x48, 0x49, 0x4A, 0x4B, 0x4C, 0x4D, 0x4E, 0x4F,
    0x50, 0x51, 0x52, 0x53, 0x54, 0x55, 0x56, 0x57, 0x58, 0x59, 0x5A, 0x5B, 0x5C, 0x5D, 0x5E, 0x5F,
    0x60, 0x41, 0x42, 0x43, 0x44, 0x45, 0x46, 0x47, 0x48, 0x49, 0x4A, 0x4B, 0x4C, 0x4D, 0x4E, 0x4F,
    0x50, 0x51, 0x52, 0x53, 0x54, 0x55, 0x56, 0x57, 0x58, 0x59, 0x5A, 0x7B, 0x7C, 0x7D, 0x7E, 0x7F,
    0x80, 0x81, 0x82, 0x81, 0x84, 0x85, 0x86, 0x87, 0x88, 0x89, 0x8A, 0x8B, 0x8C, 0x8D, 0x8E, 0x8F,
    0x80, 0x91, 0x92, 0x93, 0x94, 0x95, 0x96, 0x97, 0x98, 0x99, 0x8A, 0x9B, 0x8C, 0x8D, 0x8E, 0x8F,
    0xA0, 0xA1, 0xA1, 0xA3, 0xA4, 0xA5, 0xA6, 0xA7, 0xA8, 0xA9, 0xAA, 0xAB, 0xAC, 0xAD, 0xAE, 0xAF,
    0xB0, 0xB1, 0xB2, 0xB2, 0xA5, 0xB5, 0xB6, 0xB7, 0xA8, 0xB9, 0xAA, 0xBB, 0xA3, 0xBD, 0xBD, 0xAF,
    0xC0, 0xC1, 0xC2, 0xC3, 0xC4, 0xC5, 0xC6, 0xC7, 0xC8, 0xC9, 0xCA, 0xCB, 0xCC, 0xCD, 0xCE, 0xCF,
    0xD0, 0xD1, 0xD2, 0xD3, 0xD4, 0xD5, 0xD6, 0xD7, 0xD8, 0xD9, 0xDA, 0xDB, 0xDC, 0xDD, 0xDE, 0xDF,
    0xC0, 0xC1, 0xC2, 0xC3, 0xC4, 0xC5, 0xC6, 0xC7, 0xC8, 0xC9, 0xCA, 0xCB, 0xCC, 0xCD, 0xCE, 0xCF,
    0xD0, 0xD1, 0xD2, 0xD3, 0xD4, 0xD5, 0xD6, 0xD7, 0xD8, 0xD9, 0xDA, 0xDB, 0xDC, 0xDD, 0xDE, 0xDF,
};

void appendUtf8(std::string& out, std::uint32_t cp) {
    if (cp < 0x80) {
        out.push_back(static_cast<char>(cp));
    } else if (cp < 0x800) {
        out.push_back(static_cast<char>(0xC0 | (cp >> 6)));
        out.push_back(static_cast<char>(0x80 | (cp & 0x3F)));
    } else {
        out.push_back(static_cast<char>(0xE0 | (cp >> 12)));
        out.push_back(static_cast<char>(0x80 | ((cp >> 6) & 0x3F)));
        out.push_back(static_cast<char>(0x80 | (cp & 0x3F)));
    }
}

const std::unordered_map<std::uint32_t, char>& unicodeToHigh() {
    static const auto table = [] {
        std::unordered_map<std::uint32_t, char> map;
        for (std::size_t i = 0; i < kHighToUnicode.size(); ++i)
            map.emplace(kHighToUnicode[i], static_cast<char>(0x80 + i));
        return map;
    }();
    return table;
}

// Decodes one UTF-8 sequence at text[i]; returns its length, 0 when it is malformed (cut
// short, overlong, a surrogate or past U+10FFFF).
std::size_t decodeUtf8(std::string_view text, std::size_t i, std::uint32_t& cp) {
    const auto byte = [&](std::size_t k) { return static_cast<std::uint8_t>(text[k]); };
    const std::uint8_t lead = byte(i);
    std::size_t length = 0;
    std::uint32_t least = 0;
    if (lead < 0x80) {
        cp = lead;
        return 1;
    } else if ((lead & 0xE0) == 0xC0) {
        cp = lead & 0x1F;
        length = 2;
        least = 0x80;
    } else if ((lead & 0xF0) == 0xE0) {
        cp = lead & 0x0F;
        length = 3;
        least = 0x800;
    } else if ((lead & 0xF8) == 0xF0) {
        cp = lead & 0x07;
        length = 4;
        least = 0x10000;
    } else {
        return 0;
    }
    if (i + length > text.size()) return 0;
    for (std::size_t k = 1; k < length; ++k) {
        if ((byte(i + k) & 0xC0) != 0x80) return 0;
        cp = (cp << 6) | (byte(i + k) & 0x3F);
    }
    if (cp < least || cp > 0x10FFFF || (cp >= 0xD800 && cp <= 0xDFFF)) return 0;
    return length;
}

bool isAscii(char c) {
    return static_cast<std::uint8_t>(c) < 0x80;
}

// Calls `piece` for each stretch of `text` in turn: ASCII runs and non-ASCII runs alternate.
template <typename Piece>
void forEachRun(std::string_view text, Piece piece) {
    for (std::size_t i = 0; i < text.size();) {
        const bool ascii = isAscii(text[i]);
        std::size_t end = i + 1;
        while (end < text.size() && isAscii(text[end]) == ascii) ++end;
        piece(text.substr(i, end - i), ascii);
        i = end;
    }
}

void appendCp1251AsUtf8(std::string& out, std::string_view text) {
    for (const char c : text) {
        const auto b = static_cast<std::uint8_t>(c);
        if (b < 0x80)
            out.push_back(c);
        else
            appendUtf8(out, kHighToUnicode[b - 0x80]);
    }
}

// The run in Windows-1251 when every character has a code there, else nothing.
std::optional<std::string> utf8RunInCp1251(std::string_view run) {
    std::string out;
    for (std::size_t i = 0; i < run.size();) {
        std::uint32_t cp = 0;
        const std::size_t length = decodeUtf8(run, i, cp);
        const auto found = unicodeToHigh().find(cp);
        if (length == 0 || found == unicodeToHigh().end()) return std::nullopt;
        out.push_back(found->second);
        i += length;
    }
    return out;
}

// A malformed run: each character without a code, and each stray byte, becomes "?".
void appendUtf8RunLossy(std::string& out, std::string_view run) {
    for (std::size_t i = 0; i < run.size();) {
        std::uint32_t cp = 0;
        const std::size_t length = decodeUtf8(run, i, cp);
        const auto found = length == 0 ? unicodeToHigh().end() : unicodeToHigh().find(cp);
        out.push_back(found == unicodeToHigh().end() ? '?' : found->second);
        i += length == 0 ? 1 : length;
    }
}

}  // namespace

bool isUtf8Text(std::string_view text) {
    bool multiByte = false;
    for (std::size_t i = 0; i < text.size();) {
        std::uint32_t cp = 0;
        const std::size_t length = decodeUtf8(text, i, cp);
        if (length == 0) return false;
        multiByte = multiByte || length > 1;
        i += length;
    }
    return multiByte;
}

std::string cp1251ToUtf8(std::string_view text) {
    std::string out;
    out.reserve(text.size() * 2);
    forEachRun(text, [&](std::string_view run, bool ascii) {
        if (ascii || isUtf8Text(run))
            out.append(run);
        else
            appendCp1251AsUtf8(out, run);
    });
    return out;
}

std::string utf8ToCp1251(std::string_view text) {
    std::string out;
    out.reserve(text.size());
    forEachRun(text, [&](std::string_view run, bool ascii) {
        if (ascii) {
            out.append(run);
        } else if (auto converted = utf8RunInCp1251(run); converted && !isUtf8Text(*converted)) {
            out.append(*converted);
        } else if (isUtf8Text(run)) {
            out.append(run);
        } else {
            appendUtf8RunLossy(out, run);
        }
    });
    return out;
}

std::string storedName(std::string_view serverName) {
    return isUtf8Text(serverName) ? utf8ToCp1251(serverName) : std::string(serverName);
}

char upperCp1251(char c) {
    return static_cast<char>(kUpper[static_cast<std::uint8_t>(c)]);
}

std::string upperCp1251(std::string_view text) {
    std::string out(text);
    for (char& c : out) c = upperCp1251(c);
    return out;
}

std::string upperName(std::string_view text) {
    std::string out;
    out.reserve(text.size());
    forEachRun(text, [&](std::string_view run, bool ascii) {
        if (!ascii && isUtf8Text(run))
            out.append(run);
        else
            out.append(upperCp1251(run));
    });
    return out;
}

bool equalsNoCase(std::string_view a, std::string_view b) {
    if (a.size() != b.size()) return false;
    for (std::size_t i = 0; i < a.size(); ++i)
        if (upperCp1251(a[i]) != upperCp1251(b[i])) return false;
    return true;
}

bool startsWithNoCase(std::string_view text, std::string_view prefix) {
    return text.size() >= prefix.size() && equalsNoCase(text.substr(0, prefix.size()), prefix);
}

}  // namespace quarrow
