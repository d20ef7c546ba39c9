// SPDX-FileCopyrightText: 2026 The Reelkeeper developers
// SPDX-License-Identifier: GPL-3.0-or-later

#include "platform/PathCodec.h"

#include <gtest/gtest.h>

namespace {

struct Name
{
    const char* label;
    QByteArray bytes;
    std::u16string decoded; // U+DC80+byte stands for each byte of an invalid sequence
};

class PathCodec : public ::testing::TestWithParam<Name>
{
};

// Every byte string comes back as it was; only valid, shortest-form UTF-8 is decoded as text.
TEST_P(PathCodec, RoundTrips)
{
    const Name& n = GetParam();
    const QString decoded = platform::decodePath(n.bytes);
    EXPECT_EQ(decoded, QString::fromStdU16String(n.decoded));
    EXPECT_EQ(platform::encodePath(decoded), n.bytes);
}

INSTANTIATE_TEST_SUITE_P(
    Names, PathCodec,
    ::testing::Values(Name{"Ascii", "a\tb\n/c.mp4", u"a\tb\n/c.mp4"},
                      Name{"Latin1", "caf\xe9.mp4", u"caf\xdce9.mp4"},
                      Name{"TwoByte", "caf\xc3\xa9", u"caf\u00e9"},
                      Name{"ThreeByteEdges", "\xed\x9f\xbf\xee\x80\x80\xef\xbf\xbd", u"\ud7ff\ue000\ufffd"},
                      Name{"FourByte", "\xf0\x9f\x8e\xac\xf4\x8f\xbf\xbf", u"\U0001F3AC\U0010FFFF"},
                      Name{"OverlongSlash", "\xc0\xaf", u"\xdcc0\xdcaf"},
                      Name{"OverlongThree", "\xe0\x80\xaf", u"\xdce0\xdc80\xdcaf"},
                      Name{"OverlongFour", "\xf0\x8f\xbf\xbf", u"\xdcf0\xdc8f\xdcbf\xdcbf"},
                      Name{"EncodedSurrogates", "\xed\xa0\x80\xed\xb2\xa9", u"\xdced\xdca0\xdc80\xdced\xdcb2\xdca9"},
                      Name{"BeyondUnicode", "\xf4\x90\x80\x80", u"\xdcf4\xdc90\xdc80\xdc80"},
                      Name{"Truncated", "\xe2\x82 \xf0\x9f\x8e", u"\xdce2\xdc82 \xdcf0\xdc9f\xdc8e"},
                      Name{"StrayBytes", "\x80\xbf\xfe\xff", u"\xdc80\xdcbf\xdcfe\xdcff"},
                      Name{"EscapeThenPair", "\xf0\x9f\x8e\xac\xe9", u"\U0001F3AC\xdce9"}),
    [](const auto& info) { return std::string(info.param.label); });

// Text that no name decodes to still encodes as valid UTF-8, never as stray bytes.
TEST(PathCodecText, LoneSurrogatesOutsideTheByteRangeBecomeTheReplacementCharacter)
{
    EXPECT_EQ(platform::encodePath(QString::fromStdU16String(u"a\xd800" u"b\xdc41")), QByteArray("a\xef\xbf\xbd" "b\xef\xbf\xbd"));
}

} // namespace
