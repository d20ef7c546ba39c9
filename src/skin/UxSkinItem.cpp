#include "skin/UxSkinItem.h"

#include "skin/SkinKit.h"
#include "skin/UxSkinMgr.h"

UxSkinItem::UxSkinItem(const QString& bgPictureName) : m_bgPictureName(bgPictureName) {}

UxSkinItem::~UxSkinItem()
{
    // The manager keeps raw pointers; never leave it one to a dead item.
    if (UxSkinMgr* mgr = SkinKitSkinMgr())
        mgr->RemoveItem(this);
}
