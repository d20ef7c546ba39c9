// SPDX-FileCopyrightText: 2026 The Reelkeeper developers
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

#include <QLocale>
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
     * is removed), so every widget receives QEvent::LanguageChange. Qt's own
     * texts (standard buttons, the folder chooser) follow: Qt's translation
     * for the language ("qtbase_<code>.qm" in Qt's translations folder) is
     * installed beside it when there is one. The name
     * must match a listed one exactly; otherwise nothing changes and false is
     * returned.
     */
    bool SetLanguage(const QString& name);

    /** Name of the built-in language. */
    static QString builtInLanguage();
    /** The locale a language file's English name stands for ("German", "Chinese(Traditional)"); C when none. */
    static QLocale localeOf(const QString& name);

private:
    QString m_languageDir;
    QStringList m_languages;
    QString m_current;
    std::unique_ptr<QTranslator> m_translator;
    std::unique_ptr<QTranslator> m_qtTranslator; // Qt's own texts in that language
};
