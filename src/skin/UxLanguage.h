#pragma once

#include <QString>
#include <QStringList>

#include <memory>

class QTranslator;

/**
 * Language manager. Languages are Qt translation files "<English name>.qm"
 * in the application folder's Language/; "English" is built in and always
 * listed first, the files follow in name order.
 */
class UxLanguage
{
public:
    UxLanguage();
    ~UxLanguage();
    UxLanguage(const UxLanguage&) = delete;
    UxLanguage& operator=(const UxLanguage&) = delete;

    /**
     * Scans <appDir>/Language and switches to the named language. An empty or
     * unlisted name gives English. Returns true when the named one was taken.
     */
    bool Init(const QString& appDir, const QString& language);

    int GetNumLanguageStrings() const;
    /** The name of language index (from 0), or the empty text out of range. */
    QString GetLanguageString(int index) const;
    /** The current language's name. */
    QString GetLanguage() const;

    /**
     * Installs the language's translator in the application (the previous one
     * is removed), so every widget receives QEvent::LanguageChange. The name
     * must match a listed one exactly; otherwise nothing changes and false is
     * returned.
     */
    bool SetLanguage(const QString& name);

    /** Name of the built-in language. */
    static QString builtInLanguage();

private:
    QString m_languageDir;
    QStringList m_languages;
    QString m_current;
    std::unique_ptr<QTranslator> m_translator;
};
