#include "storage/LocalFolder.h"

#include "platform/FileSystem.h"
#include "platform/Prompt.h"
#include "storage/Catalogue.h"
#include "storage/CVideoListCtrl.h"

#include <QAbstractButton>
#include <QDir>
#include <QFileDialog>
#include <QKeyEvent>
#include <QLineEdit>
#include <QStandardPaths>

namespace storage {
namespace {

FolderPicker& picker()
{
    static FolderPicker current;
    return current;
}

QString pickFolder(QWidget* parent, const QString& title)
{
    if (picker())
        return picker()(parent, title);
    return QFileDialog::getExistingDirectory(parent, title,
        QStandardPaths::writableLocation(QStandardPaths::DesktopLocation));
}

} // namespace

void setFolderPicker(FolderPicker replacement)
{
    picker() = std::move(replacement);
}

QString fallbackLocalFolder()
{
    return QDir::homePath();
}

bool localFolderExists(const QString& text)
{
    return !text.isEmpty() && !text.endsWith(u'/') && platform::fileSystem().exists(text);
}

void fillGuarded(const MainWindowParts& parts, CVideoListCtrl* list, const QString& pattern)
{
    if (!list)
        return;
    if (parts.refresh)
        parts.refresh->setEnabled(false);
    list->FillList(pattern);
    enableRefreshUnlessFilling(parts);
}

void enableRefreshUnlessFilling(const MainWindowParts& parts)
{
    const bool stillFilling = (parts.localList && parts.localList->isFilling())
        || (parts.pspList && parts.pspList->isFilling());
    if (parts.refresh && !stillFilling)
        parts.refresh->setEnabled(true);
}

void initLists(const MainWindowParts& parts, const QString& defaultFolder)
{
    parts.localList->InitList();
    const QString pattern = defaultFolder.endsWith(u'/') ? defaultFolder + QStringLiteral("*.mp4") : videoPattern(defaultFolder);
    fillGuarded(parts, parts.localList, pattern);
    parts.localList->FitColumn();
    parts.pspList->InitList();
}

void listLocalFolder(const MainWindowParts& parts)
{
    fillGuarded(parts, parts.localList, videoPattern(parts.folderEdit->text()));
}

void folderEntered(const MainWindowParts& parts)
{
    const QString text = parts.folderEdit->text();
    if (localFolderExists(text)) {
        fillGuarded(parts, parts.localList, videoPattern(text));
        return;
    }
    platform::showMessage(parts.window, QString::fromLatin1(kInvalidPath));
    const QString fallback = fallbackLocalFolder();
    parts.folderEdit->setText(fallback);
    fillGuarded(parts, parts.localList, videoPattern(fallback));
}

void browseLocalFolder(const MainWindowParts& parts)
{
    QString folder = parts.folderEdit->text();
    const QString chosen = pickFolder(parts.window, QString::fromLatin1(kBrowseTitle));
    if (!chosen.isEmpty()) {
        folder = QDir::toNativeSeparators(chosen);
        parts.folderEdit->setText(folder);
    }
    fillGuarded(parts, parts.localList, videoPattern(folder));
}

LocalFolderController::LocalFolderController(MainWindowParts parts, QAbstractButton* browse, QObject* parent)
    : QObject(parent)
    , m_parts(std::move(parts))
{
    if (m_parts.folderEdit)
        m_parts.folderEdit->installEventFilter(this);
    if (browse)
        connect(browse, &QAbstractButton::clicked, this, [this] { browseLocalFolder(m_parts); });
}

bool LocalFolderController::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == m_parts.folderEdit && event->type() == QEvent::KeyPress) {
        const auto key = static_cast<QKeyEvent*>(event)->key();
        if (key == Qt::Key_Return || key == Qt::Key_Enter) {
            folderEntered(m_parts);
            return true;
        }
    }
    return QObject::eventFilter(watched, event);
}

} // namespace storage
