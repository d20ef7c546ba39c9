// SPDX-FileCopyrightText: 2026 The Reelkeeper developers
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

// Assembles MP4 atom trees in memory so that a test states its layout in a
// few lines, e.g.
//   mp4::ftyp() + mp4::atom("mdat", data) + mp4::atom("moov", mp4::mvhd() + mp4::usmt(u"Hello"))

#include <cstdint>
#include <string>
#include <vector>

namespace mp4 {

std::string be16(uint16_t v);
std::string be32(uint32_t v);
std::string be64(uint64_t v);

// An atom with a 32-bit size field.
std::string atom(const std::string& type, const std::string& payload);
// An atom with size field 1 and a 64-bit size.
std::string atom64(const std::string& type, const std::string& payload);
// An atom with size field 0 (runs to the end of its parent).
std::string atomToEnd(const std::string& type, const std::string& payload);

// UTF-16 big-endian text, with a zero unit when `terminator`.
std::string utf16be(const std::u16string& text, bool terminator = true);

// One MTDT entry: 10-byte head (size, type, language, flag) and data.
std::string mtdtEntry(uint32_t type, uint16_t language, uint16_t flag, const std::string& data);

// The 16 bytes of the PSP title atom's UUID.
std::string usmtUuid();

// A `uuid` atom with the USMT UUID and an MTDT atom holding `entries`
// (`count` is the stored entry count, by default the number of entries).
std::string usmtWithEntries(const std::vector<std::string>& entries, int count = -1);

// The title atom as the program writes it: fixed entry, encoder
// "avc2.0.11.1110", title, date.
std::string usmt(const std::u16string& title, const std::string& date = "2005/05/16 07:48:36");

std::string ftyp();
std::string mvhd();
// A small video track (tkhd, mdia with mdhd, hdlr, minf/stbl tables).
std::string trak();

// ftyp, an mdat of `mdatBytes` bytes, then a moov of mvhd, a trak and `moovTail`.
std::string pspVideo(const std::string& moovTail, size_t mdatBytes = 64);

} // namespace mp4
