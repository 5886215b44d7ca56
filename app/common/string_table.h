#pragma once
// The program's numbered texts in German and English (app/resources/string_table.tsv),
// shown exactly as written there. The language is chosen once at start-up: German when the
// locale's language is German, else English; `--lang de|en` overrides.

#include <QLocale>
#include <QString>

enum class Language { German, English };

// The product name: the main window's caption and the title of the program's questions.
inline constexpr char kProductName[] = "Kinetra";

Language languageForLocale(const QLocale& locale);
// "de" or "en"; nothing for any other text.
bool languageFromCode(const QString& code, Language* language);

void setLanguage(Language language);
Language currentLanguage();

// Text number id in the current (or the given) language. An id the table does not hold
// gives an empty text.
QString resString(int id);
QString resString(int id, Language language);
