#include "skin/UxLanguage.h"

#include <QCoreApplication>
#include <QDir>
#include <QTranslator>

UxLanguage::UxLanguage() = default;

UxLanguage::~UxLanguage()
{
    if (m_translator && QCoreApplication::instance())
        QCoreApplication::removeTranslator(m_translator.get());
}

QString UxLanguage::builtInLanguage() { return QStringLiteral("English"); }

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
    if (name != builtInLanguage()) {
        next = std::make_unique<QTranslator>();
        if (!next->load(m_languageDir + u'/' + name + QStringLiteral(".qm")))
            return false;
    }
    if (m_translator)
        QCoreApplication::removeTranslator(m_translator.get());
    m_translator = std::move(next);
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
