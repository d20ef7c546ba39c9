// SPDX-FileCopyrightText: 2026 The Reelkeeper developers
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

#include <QString>

namespace platform {
struct VolumeInfo;
}

namespace storage {

// The drive messages of the window (and of the command line for the same cases).
inline constexpr char kNoPsp[] = "You haven't attached your PSP to the Computer!";
inline constexpr char kNotWriteableA[] = "You have Selected a non-writeable drive.";
inline constexpr char kNotWriteableB[] = "You have Selected a non-writeable drivre.";
inline constexpr char kNotAPsp[] = "Your selected drive is not a PSP";
inline constexpr char kDisconnected[] = "You have disabled the PSP USB connection!";

/** The PSP folder path of a drive root: root + "MP_ROOT/100MNV01/". */
QString PspFolderOf(const QString& root);
/** The drive root of a PSP folder path (its "MP_ROOT/100MNV01/" tail dropped); empty when it has none. */
QString RootOfPspPath(const QString& pspPath);

/**
 * Is the volume at root a PSP? It must be removable, hold a plain folder
 * named exactly "PSP" (no other attribute), and that folder must hold a plain
 * folder named "PHOTO", "music" or "savedata" in any case. Only reads the
 * file system; safe from any thread.
 */
bool IsPSPDrive(const QString& root);
/** The same test for a volume already looked up. */
bool IsPSPVolume(const platform::VolumeInfo& volume);
/** Root of the first PSP in mount-point order, empty when there is none. */
QString FirstPSPRoot();

enum class PspFolderResult { Ok, FailureA, FailureB };
/**
 * Opens (making what is missing) the PSP video folder on root. Failure A:
 * "MP_ROOT" is missing and can't be made; failure B: "MP_ROOT" exists (a
 * plain file counts) and "100MNV01" is missing and can't be made below it.
 * On success pspPath receives the PSP folder path.
 */
PspFolderResult MakePspFolder(const QString& root, QString& pspPath);

} // namespace storage
