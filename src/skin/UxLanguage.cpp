// SPDX-FileCopyrightText: 2026 The Reelkeeper developers
// SPDX-License-Identifier: GPL-3.0-or-later

#include "skin/UxLanguage.h"

#include <QCoreApplication>
#include <QDir>
#include <QLibraryInfo>
#include <QTranslator>

UxLanguage::UxLanguage() = default;

UxLanguage::~UxLanguage()
{
    if (!QCoreApplication::instance())
        return;
    if (m_translator)
        QCoreApplication::removeTranslator(m_translator.get());
    if (m_qtTranslator)
        QCoreApplication::removeTranslator(m_qtTranslator.get());
}

QString UxLanguage::builtInLanguage() { return QStringLiteral("English"); }

QLocale UxLanguage::localeOf(const QString& name)
{
    // "Chinese(Simplified)": the language, then the script in brackets.
    const QString language = name.section(QLatin1Char('('), 0, 0).trimmed();
    const QString variant = name.section(QLatin1Char('('), 1).chopped(name.endsWith(QLatin1Char(')')) ? 1 : 0);
    for (int code = QLocale::C + 1; code <= QLocale::LastLanguage; ++code) {
        const auto candidate = static_cast<QLocale::Language>(code);
        if (QLocale::languageToString(candidate).compare(language, Qt::CaseInsensitive) != 0)
            continue;
        if (candidate == QLocale::Chinese && variant.compare(QLatin1String("Traditional"), Qt::CaseInsensitive) == 0)
            return QLocale(QLocale::Chinese, QLocale::TraditionalHanScript, QLocale::Taiwan);
        if (candidate == QLocale::Chinese)
            return QLocale(QLocale::Chinese, QLocale::SimplifiedHanScript, QLocale::China);
        return QLocale(candidate);
    }
    return QLocale::c();
}

bool UxLanguage::Init(const QString& appDir, const QString& language)
{
    m_languageDir = appDir + QStringLiteral("/Language");
    m_languages = QStringList{builtInLanguage()};
    const QDir dir(m_languageDir);
    const QStringList files = dir.entryList(QStringList{QStringLiteral("*.qm")}, QDir::Files, QDir::Name);
    for (const QString& file : files) {
        const QString name = file.left(file.size() - 3);
        if (!name.isEmpty() && name != builtInLanguage())
            m_languages << name;
    }
    if (SetLanguage(language))
        return true;
    SetLanguage(builtInLanguage());
    return false;
}

int UxLanguage::GetNumLanguageStrings() const { return int(m_languages.size()); }

QString UxLanguage::GetLanguageString(int index) const
{
    return index >= 0 && index < m_languages.size() ? m_languages.at(index) : QString();
}

QString UxLanguage::GetLanguage() const { return m_current; }

bool UxLanguage::SetLanguage(const QString& name)
{
    if (name.isEmpty() || !m_languages.contains(name))
        return false;
    std::unique_ptr<QTranslator> next;
    std::unique_ptr<QTranslator> nextQt;
    if (name != builtInLanguage()) {
        next = std::make_unique<QTranslator>();
        if (!next->load(m_languageDir + u'/' + name + QStringLiteral(".qm")))
            return false;
        const QLocale locale = localeOf(name);
        nextQt = std::make_unique<QTranslator>();
        if (locale == QLocale::c()
            || !nextQt->load(locale, QStringLiteral("qtbase"), QStringLiteral("_"),
                             QLibraryInfo::path(QLibraryInfo::TranslationsPath)))
            nextQt.reset();
    }
    if (m_qtTranslator)
        QCoreApplication::removeTranslator(m_qtTranslator.get());
    if (m_translator)
        QCoreApplication::removeTranslator(m_translator.get());
    m_translator = std::move(next);
    m_qtTranslator = std::move(nextQt);
    // Installed last, the program's own file is asked first.
    if (m_qtTranslator)
        QCoreApplication::installTranslator(m_qtTranslator.get());
    if (m_translator)
        QCoreApplication::installTranslator(m_translator.get());
    m_current = name;
    if (!m_translator && QCoreApplication::instance()) {
        // Removing the last translator already sent LanguageChange; switching
        // between two built-in states would not, so send it ourselves.
        QEvent change(QEvent::LanguageChange);
        QCoreApplication::sendEvent(QCoreApplication::instance(), &change);
    }
    return true;
}
