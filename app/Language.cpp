#include "app/Language.h"

#include <QCoreApplication>
#include <QLibraryInfo>
#include <QTranslator>

#include <memory>

namespace {

struct TInstalled
{
    TLanguage Choice = TLanguage::System;
    std::unique_ptr<QTranslator> Own;
    std::unique_ptr<QTranslator> Qt;
};

TInstalled& Installed()
{
    static TInstalled installed;
    return installed;
}

void Remove(std::unique_ptr<QTranslator>& translator)
{
    if (translator) {
        QCoreApplication::removeTranslator(translator.get());
        translator.reset();
    }
}

std::unique_ptr<QTranslator> Loaded(const QString& name, const QString& directory)
{
    auto translator = std::make_unique<QTranslator>();
    if (!translator->load(name, directory) ||
        !QCoreApplication::installTranslator(translator.get())) {
        return nullptr;
    }
    return translator;
}

} // namespace

TLanguage SpokenLanguage(TLanguage choice, const QLocale& system)
{
    if (choice != TLanguage::System) {
        return choice;
    }
    return system.language() == QLocale::Japanese ? TLanguage::Japanese : TLanguage::English;
}

TLanguage CurrentLanguage()
{
    return Installed().Choice;
}

void SetLanguage(TLanguage choice)
{
    TInstalled& installed = Installed();
    installed.Choice = choice;
    Remove(installed.Own);
    Remove(installed.Qt);
    const bool english = SpokenLanguage(choice) == TLanguage::English;
    // The program's own texts are Japanese already; only English needs ours.
    if (english) {
        installed.Own = Loaded(QStringLiteral("quillmarch_en"), QStringLiteral(":/i18n"));
    }
    installed.Qt = Loaded(english ? QStringLiteral("qtbase_en") : QStringLiteral("qtbase_ja"),
                          QLibraryInfo::path(QLibraryInfo::TranslationsPath));
    // Installing posts the change to the application, which posts it on to
    // each window; delivered now, every text is in the new language when
    // this returns, and a caller may read them at once.
    QCoreApplication::sendPostedEvents(nullptr, QEvent::LanguageChange);
    QCoreApplication::sendPostedEvents(nullptr, QEvent::LanguageChange);
}

std::string LanguageKey(TLanguage language)
{
    switch (language) {
    case TLanguage::Japanese:
        return "Japanese";
    case TLanguage::English:
        return "English";
    case TLanguage::System:
        break;
    }
    return "System";
}

TLanguage LanguageFromKey(const std::string& key)
{
    if (key == "Japanese") {
        return TLanguage::Japanese;
    }
    if (key == "English") {
        return TLanguage::English;
    }
    return TLanguage::System;
}
