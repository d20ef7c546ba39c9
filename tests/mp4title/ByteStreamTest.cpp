#include "mp4title/ByteStream.h"
#include "mp4title/MovReader.h"

#include "TempDir.h"

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
        for (int i = 0; i < 100000; ++i)
            content += static_cast<char>(i * 7);
        file = dir.write("data.bin", content);
    }

    unsigned char at(size_t pos) const { return static_cast<unsigned char>(content[pos]); }

    TempDir dir;
    std::filesystem::path file;
    std::string content;
};

TEST_F(ByteStreamTest, ProtocolsAndModes)
{
    ProtocolHandle* h = nullptr;
    ASSERT_EQ(protocol_open(&h, ("file:" + file.string()).c_str(), URL_RDONLY), 0);
    EXPECT_STREQ(h->protocol->name, "file");
    unsigned char b[4];
    ASSERT_EQ(protocol_read(h, b, 4), 4);
    EXPECT_EQ(std::string(reinterpret_cast<char*>(b), 4), content.substr(0, 4));
    EXPECT_EQ(protocol_write(h, b, 1), MP4_ERR_IO); // a read-only handle refuses writes
    protocol_close(h);
    EXPECT_EQ(protocol_open(&h, "http://example/video.mp4", URL_RDONLY), MP4_ERR_IO);
    EXPECT_EQ(h, nullptr);
    // One letter and a colon is a drive letter: the file protocol, which cannot find it.
    EXPECT_EQ(protocol_open(&h, "E:video.mp4", URL_RDONLY), MP4_ERR_IO);
    EXPECT_EQ(protocol_open(&h, (dir.str() + "/missing.mp4").c_str(), URL_RDONLY), MP4_ERR_IO);

    // Edit mode opens read-write without truncating.
    edit_mode = 1;
    ASSERT_EQ(protocol_open(&h, file.c_str(), URL_RDONLY), 0);
    edit_mode = 0;
    h->flags = URL_RDWR;
    EXPECT_EQ(protocol_write(h, reinterpret_cast<const unsigned char*>("X"), 1), 1);
    protocol_close(h);
    EXPECT_EQ(readFileBytes(file), "X" + content.substr(1));

    // A read-write stream still reads after a flush.
    ByteStream s;
    edit_mode = 1;
    ASSERT_EQ(stream_open(&s, file.c_str(), URL_RDWR), 0);
    edit_mode = 0;
    write_tag(&s, "moov");
    stream_flush(&s);
    auto* handle = static_cast<ProtocolHandle*>(s.opaque);
    ASSERT_EQ(protocol_seek(handle, 0, SEEK_SET), 0);
    EXPECT_EQ(protocol_read(handle, b, 4), 4);
    EXPECT_EQ(std::string(reinterpret_cast<char*>(b), 4), "moov");
    stream_close(&s);
}

TEST_F(ByteStreamTest, ReadsAndSeeks)
{
    ByteStream s;
    ASSERT_EQ(stream_open(&s, file.c_str(), URL_RDONLY), 0);
    std::string got(content.size(), '\0');
    auto* out = reinterpret_cast<unsigned char*>(got.data());
    EXPECT_EQ(read_bytes(&s, out, 5), 5);
    EXPECT_EQ(read_bytes(&s, out + 5, 70000), 70000);
    EXPECT_EQ(read_bytes(&s, out + 70005, 40000), 29995);
    EXPECT_EQ(got, content);
    EXPECT_TRUE(stream_eof(&s));
    EXPECT_EQ(read_u8(&s), 0);
    // read_be32 two bytes before the end: the bytes that exist, then zeros.
    stream_seek(&s, static_cast<int64_t>(content.size()) - 2, SEEK_SET);
    EXPECT_EQ(read_be32(&s), (unsigned(at(content.size() - 2)) << 24) | (unsigned(at(content.size() - 1)) << 16));

    // Seeks inside the buffer do not touch the file.
    stream_seek(&s, 0, SEEK_SET);
    read_u8(&s);
    const int64_t filePos = s.pos;
    EXPECT_EQ(stream_seek(&s, STREAM_BUFFER_SIZE, SEEK_SET), STREAM_BUFFER_SIZE); // exactly the end
    EXPECT_EQ(s.pos, filePos);
    EXPECT_EQ(stream_seek(&s, -100, SEEK_CUR), STREAM_BUFFER_SIZE - 100);
    EXPECT_EQ(read_u8(&s), at(STREAM_BUFFER_SIZE - 100));
    EXPECT_EQ(stream_tell(&s), STREAM_BUFFER_SIZE - 99);
    EXPECT_EQ(stream_seek(&s, 0, SEEK_END), MP4_ERR_INVAL);
    EXPECT_EQ(stream_seek(&s, 90000, SEEK_SET), 90000);
    EXPECT_EQ(read_u8(&s), at(90000));
    stream_close(&s);
}

} // namespace
