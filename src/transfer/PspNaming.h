// SPDX-FileCopyrightText: 2026 The Reelkeeper developers
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

#include <QString>
#include <QSet>

#include <optional>

namespace transfer {

inline constexpr char kInvalidNumber[] =
    "You have inputted a invalid number, the valid file number is between 0 to 99999";

/** The PSP file name of a number: "m4v%.5d.mp4" (more digits for numbers above 99999). */
QString PspFileName(long long number);
/** A thumbnail's name: the name up to its last "." followed by ".THM" (".THM" alone without a "."). */
QString ThumbnailName(const QString& name);
/**
 * A number read from text by the rules of atoi: leading white space, an
 * optional sign, decimal digits up to the first other character; no digits
 * give 0. Values beyond the int range are clamped to it.
 */
int AtoiNumber(const QString& text);

/**
 * The next free PSP file name in a PSP video folder (a path ending with a
 * separator): one above the highest number among its "*.mp4" names, read from
 * each name's five characters after the first three. When the highest is
 * 99999, the lowest unused number from 1 up. Only reads the folder.
 */
std::optional<QString> GetNextPspFileName(const QString& folder, int* error = nullptr);
/**
 * The five characters at index 3 of GetNextPspFileName: what "Next Num"
 * shows. Empty when the folder could not be listed.
 */
QString NextNumText(const QString& folder);

/** Target names of one video and its thumbnail. */
struct TargetNames
{
    QString name;
    QString thumbnail;
    bool invalidNumber = false; // the caller shows kInvalidNumber
};

/**
 * Target names on the PSP for the "Next Num" text: the PSP file name of its
 * number when that is 0 to 99999; otherwise the next free name of pspFolder,
 * with invalidNumber set so that the caller shows the message.
 */
TargetNames PspTargetNames(const QString& nextNumText, const QString& pspFolder);

/**
 * Turns a title into a file name that stays inside its folder: "/" and NUL
 * (on FAT also \ : * ? " < > | and control characters) and a leading "."
 * become "_".
 */
QString SafeFileName(const QString& title, bool fat);

/** The longest file name, in bytes of its encoded form, that file systems take. */
inline constexpr int kMaxFileNameBytes = 255;

/**
 * Target names in the local folder for a PSP video coming back: its title
 * (made safe) + ".mp4", or its whole file name when it has no title; then
 * renamed with "(1)", "(k+1)" up to 255 and "(1)" again while a file of that
 * name exists in the folder. A name longer than kMaxFileNameBytes is
 * shortened at a character boundary before its extension (and before the
 * "(n)" of a renaming).
 */
TargetNames ComputerTargetNames(const QString& title, const QString& videoPath, const QString& localFolder);

/**
 * The names a transfer chooses by itself, one free pair (video and thumbnail)
 * after another: a name found free can still be taken before the copy claims
 * it (another program, another run), and the copy then asks for the next.
 * Every look that fails ends the search with its errno: a name that could
 * not be seen is never taken for free.
 */
class NameSearch
{
public:
    /** PSP names: the next free number of the folder, then up. */
    static NameSearch psp(const QString& pspFolder);
    /**
     * Computer names for a PSP video coming back: its title, or its file
     * name, renamed as ComputerTargetNames does until both the video's and
     * the thumbnail's names are free.
     */
    static NameSearch computer(const QString& title, const QString& videoPath, const QString& localFolder);

    /** The first free pair; nothing when a look failed (error()) or no name is free (error() is EEXIST). */
    std::optional<TargetNames> first();
    /** The free pair after `taken` (a video name this search gave); nothing as for first(). */
    std::optional<TargetNames> next(const QString& taken);
    int error() const { return m_error; }

private:
    NameSearch() = default;
    std::optional<TargetNames> freeFrom(TargetNames candidate);
    /** The candidate after one that is taken, by the search's own rule; empty when there is none. */
    QString after(const QString& name);
    /** 1 when both names are free, 0 when either is taken, -1 when a look failed. */
    int pairIsFree(const TargetNames& names);

    bool m_bPsp = false;
    QString m_strFolder; // ends with a separator
    QString m_strFirst;  // computer side: the name before any renaming
    QString m_strStem;   // computer side: the first name without its extension
    int m_nFallback = 0; // computer side: "(k)" of the fallback after the rule went round
    QSet<QString> m_tried;
    int m_error = 0;
};

/**
 * Target names in the computer folder for a video dropped there from elsewhere: its
 * own file name and that name's thumbnail. A file of that name in the folder is not
 * renamed around: the copy asks before replacing it.
 */
TargetNames droppedTargetNames(const QString& videoPath);

} // namespace transfer
