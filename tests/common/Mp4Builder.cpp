// SPDX-FileCopyrightText: 2026 The Reelkeeper developers
// SPDX-License-Identifier: GPL-3.0-or-later

#include "Mp4Builder.h"

namespace mp4 {

std::string be16(uint16_t v)
{
    return {static_cast<char>(v >> 8), static_cast<char>(v & 0xFF)};
}

std::string be32(uint32_t v)
{
    return be16(static_cast<uint16_t>(v >> 16)) + be16(static_cast<uint16_t>(v & 0xFFFF));
}

std::string be64(uint64_t v)
{
    return be32(static_cast<uint32_t>(v >> 32)) + be32(static_cast<uint32_t>(v & 0xFFFFFFFFu));
}

std::string atom(const std::string& type, const std::string& payload)
{
    return be32(static_cast<uint32_t>(payload.size() + 8)) + type + payload;
}

std::string atom64(const std::string& type, const std::string& payload)
{
    return be32(1) + type + be64(payload.size() + 16) + payload;
}

std::string atomToEnd(const std::string& type, const std::string& payload)
{
    return be32(0) + type + payload;
}

std::string utf16be(const std::u16string& text, bool terminator)
{
    std::string out;
    for (char16_t u : text)
        out += be16(static_cast<uint16_t>(u));
    if (terminator)
        out += be16(0);
    return out;
}

std::string mtdtEntry(uint32_t type, uint16_t language, uint16_t flag, const std::string& data)
{
    return be16(static_cast<uint16_t>(data.size() + 10)) + be32(type) + be16(language) + be16(flag) + data;
}

std::string usmtUuid()
{
    return std::string("USMT") + std::string("\x21\xD2\x4F\xCE\xBB\x88\x69\x5C\xFA\xC9\xC7\x40", 12);
}

std::string usmtWithEntries(const std::vector<std::string>& entries, int count)
{
    std::string body = be16(static_cast<uint16_t>(count < 0 ? entries.size() : static_cast<size_t>(count)));
    for (const auto& e : entries)
        body += e;
    return atom("uuid", usmtUuid() + atom("MTDT", body));
}

std::string usmt(const std::u16string& title, const std::string& date)
{
    std::u16string wideDate(date.begin(), date.end());
    return usmtWithEntries({
        mtdtEntry(11, 0x55C4, 0, be16(0x021C)),
        mtdtEntry(4, 0x15C7, 1, utf16be(u"avc2.0.11.1110")),
        mtdtEntry(1, 0x2A0E, 1, utf16be(title)),
        mtdtEntry(3, 0x55C4, 1, utf16be(wideDate)),
    });
}

std::string ftyp()
{
    return atom("ftyp", std::string("MSNV") + be32(0x01400000) + "MSNVisommp42");
}

std::string mvhd()
{
    std::string p = be32(0) + be32(0) + be32(0) + be32(90000) + be32(45000);
    p += be32(0x00010000) + be16(0x0100) + std::string(10, '\0');
    p += std::string(36, '\0') + std::string(24, '\0') + be32(2);
    return atom("mvhd", p);
}

std::string trak()
{
    std::string tkhd = be32(3) + be32(0) + be32(0) + be32(1) + be32(0) + be32(45000) + std::string(8, '\0')
        + be16(0) + be16(0) + be16(0) + be16(0) + std::string(36, '\0') + be32(320u << 16) + be32(240u << 16);
    std::string mdhd = be32(0) + be32(0) + be32(0) + be32(90000) + be32(45000) + be16(0x55C4) + be16(0);
    std::string hdlr = be32(0) + be32(0) + "vide" + std::string(12, '\0') + std::string("VideoHandler") + '\0';
    std::string stsd = be32(0) + be32(1) + atom("mp4v", std::string(78, '\0'));
    std::string stbl = atom("stsd", stsd) + atom("stts", be32(0) + be32(1) + be32(2) + be32(1000))
        + atom("stsc", be32(0) + be32(1) + be32(1) + be32(2) + be32(1))
        + atom("stsz", be32(0) + be32(0) + be32(2) + be32(10) + be32(12))
        + atom("stco", be32(0) + be32(1) + be32(40))
        + atom("stss", be32(0) + be32(1) + be32(1));
    std::string minf = atom("vmhd", be32(1) + std::string(8, '\0'))
        + atom("dinf", atom("dref", be32(0) + be32(1) + atom("url ", be32(1)))) + atom("stbl", stbl);
    return atom("trak", atom("tkhd", tkhd) + atom("mdia", atom("mdhd", mdhd) + atom("hdlr", hdlr) + atom("minf", minf)));
}

std::string pspVideo(const std::string& moovTail, size_t mdatBytes)
{
    return ftyp() + atom("mdat", std::string(mdatBytes, '\x5A')) + atom("moov", mvhd() + trak() + moovTail);
}

} // namespace mp4
