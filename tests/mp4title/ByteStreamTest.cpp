#include "mp4title/ByteStream.h"
#include "mp4title/MovReader.h"

#include "TempDir.h"
#include "TitleTestSupport.h"

#include <gtest/gtest.h>

#include <cstdio>

namespace {

class ByteStreamTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        register_all();
        edit_mode = 0;
        std::string bytes;
        for (int i = 0; i < 100000; ++i)
            bytes += static_cast<char>(i * 7);
        file = dir.write("data.bin", bytes);
        content = bytes;
    }

    TempDir dir;
    std::filesystem::path file;
    std::string content;
};

TEST_F(ByteStreamTest, ProtocolIsChosenByPrefix)
{
    ProtocolHandle* h = nullptr;
    ASSERT_EQ(protocol_open(&h, file.c_str(), URL_RDONLY), 0);
    EXPECT_STREQ(h->protocol->name, "file");
    protocol_close(h);

    ASSERT_EQ(protocol_open(&h, ("file:" + file.string()).c_str(), URL_RDONLY), 0);
    unsigned char b[4];
    ASSERT_EQ(protocol_read(h, b, 4), 4);
    EXPECT_EQ(std::string(reinterpret_cast<char*>(b), 4), content.substr(0, 4));
    protocol_close(h);

    EXPECT_EQ(protocol_open(&h, "http://example/video.mp4", URL_RDONLY), MP4_ERR_IO);
    EXPECT_EQ(h, nullptr);
    // One letter and a colon is a drive letter: the file protocol, which cannot find it.
    EXPECT_EQ(protocol_open(&h, "E:video.mp4", URL_RDONLY), MP4_ERR_IO);
    EXPECT_EQ(protocol_open(&h, (dir.str() + "/missing.mp4").c_str(), URL_RDONLY), MP4_ERR_IO);
}

TEST_F(ByteStreamTest, EditModeOpensReadWriteWithoutTruncating)
{
    ProtocolHandle* h = nullptr;
    edit_mode = 1;
    ASSERT_EQ(protocol_open(&h, file.c_str(), URL_RDONLY), 0);
    edit_mode = 0;
    h->flags = URL_RDWR;
    const unsigned char x = 'X';
    EXPECT_EQ(protocol_write(h, &x, 1), 1);
    protocol_close(h);
    EXPECT_EQ(std::filesystem::file_size(file), content.size());
    EXPECT_EQ(readFileBytes(file)[0], 'X');

    ASSERT_EQ(protocol_open(&h, file.c_str(), URL_RDONLY), 0);
    EXPECT_EQ(protocol_write(h, &x, 1), MP4_ERR_IO); // a read-only handle refuses writes
    protocol_close(h);
}

TEST_F(ByteStreamTest, ReadWriteStreamStillReadsAfterAFlush)
{
    ByteStream s;
    edit_mode = 1;
    ASSERT_EQ(stream_open(&s, file.c_str(), URL_RDWR), 0);
    edit_mode = 0;
    write_tag(&s, "moov");
    stream_flush(&s);
    auto* handle = static_cast<ProtocolHandle*>(s.opaque);
    ASSERT_EQ(protocol_seek(handle, 0, SEEK_SET), 0);
    unsigned char back[4] = {};
    EXPECT_EQ(protocol_read(handle, back, 4), 4);
    EXPECT_EQ(std::string(reinterpret_cast<char*>(back), 4), "moov");
    stream_close(&s);
}

TEST_F(ByteStreamTest, ReadsAcrossRefillsAndPastTheEnd)
{
    ByteStream s;
    ASSERT_EQ(stream_open(&s, file.c_str(), URL_RDONLY), 0);
    std::string got(content.size(), '\0');
    EXPECT_EQ(read_bytes(&s, reinterpret_cast<unsigned char*>(got.data()), 5), 5);
    EXPECT_EQ(read_bytes(&s, reinterpret_cast<unsigned char*>(got.data()) + 5, 70000), 70000);
    EXPECT_EQ(read_bytes(&s, reinterpret_cast<unsigned char*>(got.data()) + 70005, 40000), 29995);
    EXPECT_EQ(got, content);
    EXPECT_TRUE(stream_eof(&s));
    EXPECT_EQ(read_u8(&s), 0);

    // read_be32 two bytes before the end: the bytes that exist, then zeros.
    stream_seek(&s, static_cast<int64_t>(content.size()) - 2, SEEK_SET);
    const unsigned expected = (unsigned(static_cast<unsigned char>(content[content.size() - 2])) << 24)
        | (unsigned(static_cast<unsigned char>(content[content.size() - 1])) << 16);
    EXPECT_EQ(read_be32(&s), expected);
    stream_close(&s);
}

TEST_F(ByteStreamTest, SeeksInsideTheBufferWithoutTouchingTheFile)
{
    ByteStream s;
    ASSERT_EQ(stream_open(&s, file.c_str(), URL_RDONLY), 0);
    read_u8(&s); // fills 32768 bytes
    const int64_t filePos = s.pos;
    EXPECT_EQ(stream_seek(&s, 1000, SEEK_SET), 1000);
    EXPECT_EQ(stream_seek(&s, STREAM_BUFFER_SIZE, SEEK_SET), STREAM_BUFFER_SIZE); // exactly the end
    EXPECT_EQ(s.pos, filePos);
    EXPECT_EQ(stream_seek(&s, -100, SEEK_CUR), STREAM_BUFFER_SIZE - 100);
    EXPECT_EQ(read_u8(&s), static_cast<unsigned char>(content[STREAM_BUFFER_SIZE - 100]));
    EXPECT_EQ(stream_tell(&s), STREAM_BUFFER_SIZE - 99);
    EXPECT_EQ(stream_seek(&s, 0, SEEK_END), MP4_ERR_INVAL);
    EXPECT_EQ(stream_seek(&s, 90000, SEEK_SET), 90000);
    EXPECT_EQ(read_u8(&s), static_cast<unsigned char>(content[90000]));
    stream_close(&s);
}

} // namespace
