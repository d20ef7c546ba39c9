#pragma once

#include "storage/SpaceAccounting.h"

#include <QObject>
#include <QString>

#include <functional>

class CVideoListCtrl;

namespace storage {

inline constexpr char kInvalidPath[] = "Invalid file path!";
inline constexpr char kBrowseTitle[] = "Please select source folder.";

/** The folder chooser: returns the chosen folder, or an empty text when cancelled. */
using FolderPicker = std::function<QString(QWidget* parent, const QString& title)>;
/** Replaces the folder chooser (tests); an empty function restores the real dialog. */
void setFolderPicker(FolderPicker picker);

/** The folder listed when a typed one is invalid: the user's home folder. */
QString fallbackLocalFolder();
/**
 * The check for a typed folder: the exact text names an existing entry. A text
 * ending with a separator (the root "/" included) names none.
 */
bool localFolderExists(const QString& text);

/** FillList with Refresh disabled around it (left enabled only when no list is still filling). */
void fillGuarded(const MainWindowParts& parts, CVideoListCtrl* list, const QString& pattern);
/** Enables Refresh unless a list is still filling (its fill enables it when it ends). */
void enableRefreshUnlessFilling(const MainWindowParts& parts);
/**
 * Start-up: prepares both lists and lists the default local folder (which may
 * end with a separator) into the local list.
 */
void initLists(const MainWindowParts& parts, const QString& defaultFolder);
/** Lists the folder field's text + "/" + "*.mp4" into the local list (the local side of Refresh). */
void listLocalFolder(const MainWindowParts& parts);
/** Enter in the folder field: list the typed folder, or say it's invalid and list the fallback. */
void folderEntered(const MainWindowParts& parts);
/** "Browse": choose a folder (the field keeps its text when cancelled) and list it. */
void browseLocalFolder(const MainWindowParts& parts);

/**
 * Wires the folder field (Enter, consumed so it never reaches a default button)
 * and the "Browse" button to the functions above.
 */
class LocalFolderController final : public QObject
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(LocalFolderController)

public:
    LocalFolderController(MainWindowParts parts, QAbstractButton* browse, QObject* parent = nullptr);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    MainWindowParts m_parts;
};

} // namespace storage
