#pragma once

#include <string>
#include <vector>

// The engine's language data: a folder of "<code>.traineddata" files, codes
// such as "eng", "deu" or "chi_sim".

// $TESSDATA_PREFIX when set (the engine honours it too), otherwise the first
// of Debian's folders that exists; empty when none does. Ends in "/".
std::string RecognitionDataFolder();

// The recognition languages in `folder`, sorted; the orientation data ("osd")
// and the equation data ("equ") are not languages.
std::vector<std::string> InstalledRecognitionLanguages(const std::string& folder);
std::vector<std::string> InstalledRecognitionLanguages();

// The engine's code for the language of a locale name such as "de_DE" or
// "pt_BR.UTF-8"; empty when the locale names none.
std::string RecognitionLanguageOfLocale(const std::string& localeName);

// The user's locale's language when installed, otherwise "eng" (even when it
// is missing, so that the missing language is reported, not guessed away).
std::string DefaultRecognitionLanguage(const std::vector<std::string>& installed,
                                       const std::string& localeName);

// A name to show for a language code: "German (deu)", or the code alone when
// it names no language Qt knows ("frk").
std::string RecognitionLanguageName(const std::string& code);

// True when every language of `languages` (codes joined by "+", as "deu+eng")
// is written in the Latin alphabet, whose letters rise above the line far
// more often than they hang below it; false for any other script, a script
// the code does not tell, or no language.
bool WrittenInLatin(const std::string& languages);
