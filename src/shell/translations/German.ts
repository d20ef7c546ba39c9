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
    <message>
        <source>Stop</source>
        <translation>Stopp</translation>
    </message>
    <message>
        <source>%1 left</source>
        <translation>noch %1</translation>
    </message>
    <message>
        <source>Play</source>
        <translation>Abspielen</translation>
    </message>
    <message>
        <source>Show in folder</source>
        <translation>Im Ordner zeigen</translation>
    </message>
    <message>
        <source>Edit title</source>
        <translation>Titel bearbeiten</translation>
    </message>
    <message>
        <source>Folder order</source>
        <translation>Ordnerreihenfolge</translation>
    </message>
    <message>
        <source>Title</source>
        <translation>Titel</translation>
    </message>
    <message>
        <source>Date</source>
        <translation>Datum</translation>
    </message>
    <message>
        <source>Size</source>
        <translation>Größe</translation>
    </message>
    <message>
        <source>File name</source>
        <translation>Dateiname</translation>
    </message>
    <message>
        <source>Sort by</source>
        <translation>Sortieren nach</translation>
    </message>
    <message>
        <source>Convert videos the PSP can't play</source>
        <translation>Videos umwandeln, die die PSP nicht abspielt</translation>
    </message>
    <message>
        <source>Ask</source>
        <translation>Fragen</translation>
    </message>
    <message>
        <source>Always</source>
        <translation>Immer</translation>
    </message>
    <message>
        <source>Never</source>
        <translation>Nie</translation>
    </message>
    <message>
        <source>PSP video format</source>
        <translation>PSP-Videoformat</translation>
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
