<?xml version="1.0" encoding="utf-8"?>
<!DOCTYPE TS>
<TS version="2.1" language="ja_JP">
<context>
    <name>CAboutDlg</name>
    <message>
        <source>About Reelkeeper</source>
        <translation>Reelkeeper について</translation>
    </message>
    <message>
        <source>Reelkeeper %1</source>
        <translation>Reelkeeper %1</translation>
    </message>
    <message>
        <source>Copyright (C) 2026 The Reelkeeper developers. Licence: GPL-3.0-or-later.</source>
        <translation>Copyright (C) 2026 Reelkeeper 開発者。ライセンス: GPL-3.0-or-later</translation>
    </message>
    <message>
        <source>Click here for help</source>
        <translation>ヘルプはこちらをクリック</translation>
    </message>
    <message>
        <source>OK</source>
        <translation>OK</translation>
    </message>
</context>
<context>
    <name>CMainDlg</name>
    <message>
        <source>Path:</source>
        <translation>パス:</translation>
    </message>
    <message>
        <source>Browse</source>
        <translation>参照</translation>
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
        <translation>コピー-&gt;</translation>
    </message>
    <message>
        <source>&lt;-Move</source>
        <translation>&lt;-移動</translation>
    </message>
    <message>
        <source>&lt;-Copy</source>
        <translation>&lt;-コピー</translation>
    </message>
    <message>
        <source>Delete</source>
        <translation>削除</translation>
    </message>
    <message>
        <source>About</source>
        <translation>情報</translation>
    </message>
    <message>
        <source>&amp;Refresh</source>
        <translation>更新(&amp;R)</translation>
    </message>
    <message>
        <source>Next Num</source>
        <translation>次の番号</translation>
    </message>
    <message>
        <source>Change skin...</source>
        <translation>スキンの変更...</translation>
    </message>
    <message>
        <source>Lanaguage</source>
        <translation>言語</translation>
    </message>
    <message>
        <source>&amp;About Reelkeeper...</source>
        <translation>Reelkeeper について(&amp;A)...</translation>
    </message>
    <message>
        <source>Stop</source>
        <translation>停止</translation>
    </message>
    <message>
        <source>%1 left</source>
        <translation>残り %1</translation>
    </message>
    <message>
        <source>Play</source>
        <translation>再生</translation>
    </message>
    <message>
        <source>Show in folder</source>
        <translation>フォルダーで表示</translation>
    </message>
    <message>
        <source>Edit title</source>
        <translation>タイトルを編集</translation>
    </message>
    <message>
        <source>Folder order</source>
        <translation>フォルダーの順</translation>
    </message>
    <message>
        <source>Title</source>
        <translation>タイトル</translation>
    </message>
    <message>
        <source>Date</source>
        <translation>日付</translation>
    </message>
    <message>
        <source>Size</source>
        <translation>サイズ</translation>
    </message>
    <message>
        <source>File name</source>
        <translation>ファイル名</translation>
    </message>
    <message>
        <source>Sort by</source>
        <translation>並べ替え</translation>
    </message>
    <message>
        <source>Convert videos the PSP can't play</source>
        <translation>PSP で再生できない動画を変換</translation>
    </message>
    <message>
        <source>Ask</source>
        <translation>確認する</translation>
    </message>
    <message>
        <source>Always</source>
        <translation>常に</translation>
    </message>
    <message>
        <source>Never</source>
        <translation>しない</translation>
    </message>
    <message>
        <source>PSP video format</source>
        <translation>PSP の動画形式</translation>
    </message>
</context>
<context>
    <name>QPlatformTheme</name>
    <message>
        <source>OK</source>
        <translation>OK</translation>
    </message>
    <message>
        <source>Cancel</source>
        <translation>キャンセル</translation>
    </message>
</context>
<context>
    <name>UxChooseSkinDlg</name>
    <message>
        <source>Choose Skin</source>
        <translation>スキンの選択</translation>
    </message>
    <message>
        <source>Skins:</source>
        <translation>スキン:</translation>
    </message>
</context>
<context>
    <name>UxSkinDialog</name>
    <message>
        <source>&amp;Restore</source>
        <translation>元のサイズに戻す(&amp;R)</translation>
    </message>
    <message>
        <source>&amp;Move</source>
        <translation>移動(&amp;M)</translation>
    </message>
    <message>
        <source>&amp;Size</source>
        <translation>サイズ変更(&amp;S)</translation>
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
        <translation>閉じる(&amp;C)</translation>
    </message>
</context>
</TS>
