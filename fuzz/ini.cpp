// The INI reader, as settings file and as language file. A key written must read back.

#include <cstdlib>

#include "Scratch.h"
#include "engine/Translate.h"
#include "platform/IniFile.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string path =
        quarrow::fuzz::scratchFile("fuzz.ini", quarrow::fuzz::asText(data, size));

    quarrow::LanguageFile language;
    language.load(path);
    quarrow::ThreadTexts threadTexts;
    quarrow::readThreadTexts(language, threadTexts);
    quarrow::FormTexts formTexts;
    quarrow::readFormTexts(language, formTexts);

    quarrow::IniFile settings(path);
    settings.load();
    if (settings.writeInteger("Fuzz", "Key", 42) && settings.readInteger("Fuzz", "Key", 0) != 42)
        std::abort();
    return 0;
}
