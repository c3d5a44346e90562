// The language of the program's resources, Chinese (PRC), for the framework's own texts too.
// Called once by the framework's entry, after the QApplication exists and before any window.
#pragma once

namespace glue {

// Loads Qt's Chinese translation (file and print dialogs, message-box buttons) and makes
// Chinese text take its simplified-Chinese glyphs. Returns false, changing nothing else,
// when the translation is not installed.
bool UseResourceLanguage();

}  // namespace glue
