<?xml version="1.0" encoding="utf-8"?>
<!DOCTYPE TS>
<TS version="2.1" language="de_DE">
<context>
    <name>CAboutDlg</name>
    <message>
        <source>About Reelkeeper</source>
        <translation>Über Reelkeeper</translation>
    </message>
    <message>
        <source>Reelkeeper %1</source>
        <translation>Reelkeeper %1</translation>
    </message>
    <message>
        <source>Copyright (C) 2026 The Reelkeeper developers. Licence: GPL-3.0-or-later.</source>
        <translation>Copyright (C) 2026 Die Reelkeeper-Entwickler. Lizenz: GPL-3.0-or-later.</translation>
    </message>
    <message>
        <source>Click here for help</source>
        <translation>Hier klicken für Hilfe</translation>
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
        <translation>Pfad:</translation>
    </message>
    <message>
        <source>Browse</source>
        <translation>Suchen</translation>
    </message>
    <message>
        <source>PSP:</source>
        <translation>PSP:</translation>
    </message>
    <message>
        <source>Move-&gt;</source>
        <translation>Versch.-&gt;</translation>
    </message>
    <message>
        <source>Copy-&gt;</source>
        <translation>Kopieren-&gt;</translation>
    </message>
    <message>
        <source>&lt;-Move</source>
        <translation>&lt;-Versch.</translation>
    </message>
    <message>
        <source>&lt;-Copy</source>
        <translation>&lt;-Kopieren</translation>
    </message>
    <message>
        <source>Delete</source>
        <translation>Löschen</translation>
    </message>
    <message>
        <source>About</source>
        <translation>Info</translation>
    </message>
    <message>
        <source>&amp;Refresh</source>
        <translation>&amp;Neu laden</translation>
    </message>
    <message>
        <source>Next Num</source>
        <translation>Nächste Nr.</translation>
    </message>
    <message>
        <source>Change skin...</source>
        <translation>Skin wechseln...</translation>
    </message>
    <message>
        <source>Lanaguage</source>
        <translation>Sprache</translation>
    </message>
    <message>
        <source>&amp;About Reelkeeper...</source>
        <translation>Ü&amp;ber Reelkeeper...</translation>
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
        <translation>Abbrechen</translation>
    </message>
</context>
<context>
    <name>UxChooseSkinDlg</name>
    <message>
        <source>Choose Skin</source>
        <translation>Skin auswählen</translation>
    </message>
    <message>
        <source>Skins:</source>
        <translation>Skins:</translation>
    </message>
</context>
<context>
    <name>UxSkinDialog</name>
    <message>
        <source>&amp;Restore</source>
        <translation>&amp;Wiederherstellen</translation>
    </message>
    <message>
        <source>&amp;Move</source>
        <translation>&amp;Verschieben</translation>
    </message>
    <message>
        <source>&amp;Size</source>
        <translation>&amp;Größe ändern</translation>
    </message>
    <message>
        <source>Mi&amp;nimize</source>
        <translation>Mi&amp;nimieren</translation>
    </message>
    <message>
        <source>Ma&amp;ximize</source>
        <translation>Ma&amp;ximieren</translation>
    </message>
    <message>
        <source>&amp;Close</source>
        <translation>&amp;Schließen</translation>
    </message>
</context>
</TS>
