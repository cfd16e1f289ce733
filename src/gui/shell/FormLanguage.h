#pragma once

#include <string_view>

class QWidget;

namespace quarrow {

class LanguageFile;
struct FormState;

// Relabels every named control of `form` from the language file's section `section`: the key
// is the control's objectName. Labels, buttons (push, tool, check and radio), group boxes,
// tab pages and actions take the text; other controls, and controls whose key is missing,
// are left alone. The window title comes from the key "Caption", the current title being the
// default.
void ApplyFormLanguage(QWidget& form, std::string_view section, const LanguageFile& file);

// Applies the language file in force to everything open: the message and worker texts, then
// the main window's captions. A missing language file changes nothing.
void ApplyLanguage(FormState& state, QWidget& mainWindow);

}  // namespace quarrow
