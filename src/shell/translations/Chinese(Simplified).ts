<?xml version="1.0" encoding="utf-8"?>
<!DOCTYPE TS>
<TS version="2.1" language="zh_CN">
<context>
    <name>CAboutDlg</name>
    <message>
        <source>About Reelkeeper</source>
        <translation>关于 Reelkeeper</translation>
    </message>
    <message>
        <source>Reelkeeper %1</source>
        <translation>Reelkeeper %1</translation>
    </message>
    <message>
        <source>Copyright (C) 2026 The Reelkeeper developers. Licence: GPL-3.0-or-later.</source>
        <translation>Copyright (C) 2026 Reelkeeper 开发者。许可证：GPL-3.0-or-later</translation>
    </message>
    <message>
        <source>Click here for help</source>
        <translation>点击此处获取帮助</translation>
    </message>
    <message>
        <source>OK</source>
        <translation>确定</translation>
    </message>
</context>
<context>
    <name>CMainDlg</name>
    <message>
        <source>Path:</source>
        <translation>路径:</translation>
    </message>
    <message>
        <source>Browse</source>
        <translation>浏览</translation>
    </message>
    <message>
        <source>PSP:</source>
        <translation>PSP:</translation>
    </message>
    <message>
        <source>Move-&gt;</source>
        <translation>移动-&gt;</translation>
    </message>
    <message>
        <source>Copy-&gt;</source>
        <translation>复制-&gt;</translation>
    </message>
    <message>
        <source>&lt;-Move</source>
        <translation>&lt;-移动</translation>
    </message>
    <message>
        <source>&lt;-Copy</source>
        <translation>&lt;-复制</translation>
    </message>
    <message>
        <source>Delete</source>
        <translation>删除</translation>
    </message>
    <message>
        <source>About</source>
        <translation>关于</translation>
    </message>
    <message>
        <source>&amp;Refresh</source>
        <translation>刷新(&amp;R)</translation>
    </message>
    <message>
        <source>Next Num</source>
        <translation>下一编号</translation>
    </message>
    <message>
        <source>Change skin...</source>
        <translation>更换皮肤...</translation>
    </message>
    <message>
        <source>Lanaguage</source>
        <translation>语言</translation>
    </message>
    <message>
        <source>&amp;About Reelkeeper...</source>
        <translation>关于 Reelkeeper(&amp;A)...</translation>
    </message>
    <message>
        <source>Stop</source>
        <translation>停止</translation>
    </message>
    <message>
        <source>%1 left</source>
        <translation>剩余 %1</translation>
    </message>
    <message>
        <source>Play</source>
        <translation>播放</translation>
    </message>
    <message>
        <source>Show in folder</source>
        <translation>在文件夹中显示</translation>
    </message>
    <message>
        <source>Edit title</source>
        <translation>编辑标题</translation>
    </message>
    <message>
        <source>Folder order</source>
        <translation>文件夹顺序</translation>
    </message>
    <message>
        <source>Title</source>
        <translation>标题</translation>
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
        <translation>文件名</translation>
    </message>
    <message>
        <source>Sort by</source>
        <translation>排序方式</translation>
    </message>
    <message>
        <source>Convert videos the PSP can't play</source>
        <translation>转换 PSP 无法播放的视频</translation>
    </message>
    <message>
        <source>Ask</source>
        <translation>询问</translation>
    </message>
    <message>
        <source>Always</source>
        <translation>总是</translation>
    </message>
    <message>
        <source>Never</source>
        <translation>从不</translation>
    </message>
    <message>
        <source>PSP video format</source>
        <translation>PSP 视频格式</translation>
    </message>
</context>
<context>
    <name>QPlatformTheme</name>
    <message>
        <source>OK</source>
        <translation>确定</translation>
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
        <translation>选择皮肤</translation>
    </message>
    <message>
        <source>Skins:</source>
        <translation>皮肤:</translation>
    </message>
</context>
<context>
    <name>UxSkinDialog</name>
    <message>
        <source>&amp;Restore</source>
        <translation>还原(&amp;R)</translation>
    </message>
    <message>
        <source>&amp;Move</source>
        <translation>移动(&amp;M)</translation>
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
        <translation>关闭(&amp;C)</translation>
    </message>
</context>
</TS>
