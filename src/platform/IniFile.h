#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace quarrow {

// An integer as INI values and the numbers typed into the program's fields hold it: an
// optional sign and decimal digits, nothing else, within 32 bits.
std::optional<int> parseIniInteger(std::string_view text);

// A settings-style INI file ("[section]" lines, "key=value" lines, CR LF, Windows-1251 bytes).
// The file is held as its lines so that rewriting keeps everything this class does not touch:
// unknown sections and keys, comments, blank lines and their order.
//
// Reading: lines are trimmed of blanks; ";" lines are comments; names match without regard to
// letter case; blanks around "=" and at the ends of the value are dropped; when a section or a
// key occurs twice, the first one counts.
//
// Writing: each write re-reads the file, changes one line (or adds the section and key) and
// publishes the whole file atomically, so a crash never leaves half a settings file and two
// objects on the same file do not lose each other's keys. Not thread-safe.
class IniFile {
public:
    explicit IniFile(std::string path);

    const std::string& path() const { return path_; }

    // Reads the file; a missing file reads as empty (true). False when it exists but cannot be
    // read.
    bool load(std::string* error = nullptr);

    // The value of the key, or nothing when the section or the key is missing.
    std::optional<std::string> value(std::string_view section, std::string_view key) const;
    bool hasSection(std::string_view section) const;

    std::string readString(std::string_view section, std::string_view key,
                           std::string_view defaultValue) const;
    // A value that is not a decimal integer within range gives the default.
    int readInteger(std::string_view section, std::string_view key, int defaultValue) const;
    // Stored as an integer: 0 is false, any other integer true, anything else the default.
    bool readBool(std::string_view section, std::string_view key, bool defaultValue) const;

    // False (and nothing written) when the names or the value cannot be stored as one line
    // (line breaks, "]" in a section name, "=" in a key, blanks around a name) or when the
    // file cannot be read or written.
    bool writeString(std::string_view section, std::string_view key, std::string_view value,
                     std::string* error = nullptr);
    bool writeInteger(std::string_view section, std::string_view key, int value,
                      std::string* error = nullptr);
    bool writeBool(std::string_view section, std::string_view key, bool value,
                   std::string* error = nullptr);

private:
    std::optional<std::size_t> findSection(std::string_view section) const;
    std::optional<std::size_t> findKey(std::size_t sectionLine, std::string_view key) const;
    std::size_t sectionEnd(std::size_t sectionLine) const;
    void setLine(std::string_view section, std::string_view key, std::string_view value);

    std::string path_;
    std::vector<std::string> lines_;
};

}  // namespace quarrow
