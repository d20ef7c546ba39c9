<?xml version="1.0" encoding="utf-8"?>
<!DOCTYPE TS>
<TS version="2.1" language="zh_TW">
<context>
    <name>CAboutDlg</name>
    <message>
        <source>About Reelkeeper</source>
        <translation>關於 Reelkeeper</translation>
    </message>
    <message>
        <source>Reelkeeper %1</source>
        <translation>Reelkeeper %1</translation>
    </message>
    <message>
        <source>Copyright (C) 2026 The Reelkeeper developers. Licence: GPL-3.0-or-later.</source>
        <translation>Copyright (C) 2026 Reelkeeper 開發者。授權條款：GPL-3.0-or-later</translation>
    </message>
    <message>
        <source>Click here for help</source>
        <translation>按一下這裡取得說明</translation>
    </message>
    <message>
        <source>OK</source>
        <translation>確定</translation>
    </message>
</context>
<context>
    <name>CMainDlg</name>
    <message>
        <source>Path:</source>
        <translation>路徑:</translation>
    </message>
    <message>
        <source>Browse</source>
        <translation>瀏覽</translation>
    </message>
    <message>
        <source>PSP:</source>
        <translation>PSP:</translation>
    </message>
    <message>
        <source>Move-&gt;</source>
        <translation>移動-&gt;</translation>
    </message>
    <message>
        <source>Copy-&gt;</source>
        <translation>複製-&gt;</translation>
    </message>
    <message>
        <source>&lt;-Move</source>
        <translation>&lt;-移動</translation>
    </message>
    <message>
        <source>&lt;-Copy</source>
        <translation>&lt;-複製</translation>
    </message>
    <message>
        <source>Delete</source>
        <translation>刪除</translation>
    </message>
    <message>
        <source>About</source>
        <translation>關於</translation>
    </message>
    <message>
        <source>&amp;Refresh</source>
        <translation>更新(&amp;R)</translation>
    </message>
    <message>
        <source>Next Num</source>
        <translation>下一編號</translation>
    </message>
    <message>
        <source>Change skin...</source>
        <translation>更換面板...</translation>
    </message>
    <message>
        <source>Lanaguage</source>
        <translation>語言</translation>
    </message>
    <message>
        <source>&amp;About Reelkeeper...</source>
        <translation>關於 Reelkeeper(&amp;A)...</translation>
    </message>
    <message>
        <source>Stop</source>
        <translation>停止</translation>
    </message>
    <message>
        <source>%1 left</source>
        <translation>剩餘 %1</translation>
    </message>
    <message>
        <source>Play</source>
        <translation>播放</translation>
    </message>
    <message>
        <source>Show in folder</source>
        <translation>在資料夾中顯示</translation>
    </message>
    <message>
        <source>Edit title</source>
        <translation>編輯標題</translation>
    </message>
    <message>
        <source>Folder order</source>
        <translation>資料夾順序</translation>
    </message>
    <message>
        <source>Title</source>
        <translation>標題</translation>
    </message>
    <message>
        <source>Date</source>
        <translation>日期</translation>
    </message>
    <message>
        <source>Size</source>
        <translation>大小</translation>
    </message>
    <message>
        <source>File name</source>
        <translation>檔案名稱</translation>
    </message>
    <message>
        <source>Sort by</source>
        <translation>排序方式</translation>
    </message>
    <message>
        <source>Convert videos the PSP can't play</source>
        <translation>轉換 PSP 無法播放的影片</translation>
    </message>
    <message>
        <source>Ask</source>
        <translation>詢問</translation>
    </message>
    <message>
        <source>Always</source>
        <translation>一律</translation>
    </message>
    <message>
        <source>Never</source>
        <translation>永不</translation>
    </message>
    <message>
        <source>PSP video format</source>
        <translation>PSP 影片格式</translation>
    </message>
</context>
<context>
    <name>QPlatformTheme</name>
    <message>
        <source>OK</source>
        <translation>確定</translation>
    </message>
    <message>
        <source>Cancel</source>
        <translation>取消</translation>
    </message>
</context>
<context>
    <name>UxChooseSkinDlg</name>
    <message>
        <source>Choose Skin</source>
        <translation>選擇面板</translation>
    </message>
    <message>
        <source>Skins:</source>
        <translation>面板:</translation>
    </message>
</context>
<context>
    <name>UxSkinDialog</name>
    <message>
        <source>&amp;Restore</source>
        <translation>還原(&amp;R)</translation>
    </message>
    <message>
        <source>&amp;Move</source>
        <translation>移動(&amp;M)</translation>
    </message>
    <message>
        <source>&amp;Size</source>
        <translation>大小(&amp;S)</translation>
    </message>
    <message>
        <source>Mi&amp;nimize</source>
        <translation>最小化(&amp;N)</translation>
    </message>
    <message>
        <source>Ma&amp;ximize</source>
        <translation>最大化(&amp;X)</translation>
    </message>
    <message>
        <source>&amp;Close</source>
        <translation>關閉(&amp;C)</translation>
    </message>
</context>
</TS>
