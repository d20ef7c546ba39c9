// SPDX-FileCopyrightText: 2026 The Reelkeeper developers
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

class QWidget;

/**
 * The main window's control ids. Each control carries its id as object name
 * and "controlId" property, so tests and language files find it.
 */
enum class ControlId : int {
    LocalList = 1000,
    PspList = 1001,
    LocalPath = 1002,
    MoveToPsp = 1003,
    CopyToPsp = 1004,
    MoveFromPsp = 1005,
    CopyFromPsp = 1006,
    Delete = 1007,
    About = 1008,
    Refresh = 1009,
    NextNum = 1012,
    Header = 1020,
    Drives = 1021,
    Browse = 1023,
    Status = 1025,
    Progress = 1027,
    Volume = 1028,
    PathLabel = 1029,
    PspLabel = 1030,
    NextNumLabel = 1031,
};

constexpr int toInt(ControlId id)
{
    return static_cast<int>(id);
}
