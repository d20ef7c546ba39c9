<?xml version="1.0" encoding="utf-8"?>
<!DOCTYPE TS>
<TS version="2.1" language="de_DE">
<context>
    <name>UxSkinDialog</name>
    <message>
        <source>&amp;Close</source>
        <translation>&amp;Schließen</translation>
    </message>
    <message>
        <source>Ma&amp;ximize</source>
        <translation>Ma&amp;ximieren</translation>
    </message>
</context>
<context>
    <name>LanguageProbe</name>
    <message>
        <source>Path:</source>
        <translation>Pfad:</translation>
    </message>
</context>
</TS>
