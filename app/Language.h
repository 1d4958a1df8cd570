#pragma once

#include <QLocale>
#include <QString>

#include <string>

// The language the program speaks. Japanese is the language its texts are
// written in; English comes from a translation built into the program.
enum class TLanguage
{
    // Japanese on a system whose locale is Japanese, English otherwise.
    System,
    Japanese,
    English,
};

// The language a choice leads to on a system of the given locale: Japanese
// or English, never System.
TLanguage SpokenLanguage(TLanguage choice, const QLocale& system = QLocale::system());

// The choice in force; System until SetLanguage is called.
TLanguage CurrentLanguage();
// Installs the translations of the choice (ours and Qt's own, for the
// standard dialogs and buttons) in place of the ones before, and has every
// widget retranslate itself before returning.
void SetLanguage(TLanguage choice);

// How Option.ini keeps a choice: "System", "Japanese", "English". A text that
// is none of them (an empty one included) reads as System.
std::string LanguageKey(TLanguage language);
TLanguage LanguageFromKey(const std::string& key);
