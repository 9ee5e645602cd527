// A saved game's state image read as it inflates: every read size gives the image byte for
// byte and it moves only to where it stands (its refusals are the saved games' test).
#include "core/compression/compressedpipe.h"
#include "core/stream/memorystream.h"
#include "player/savedgameimage.h"
#include "support/scratchworkingfolder.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <tuple>
#include <vector>

namespace
{
class SavedGameImageTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        // Three and a half blocks of bytes that pack, so matches reach back across block ends.
        m_aImage.resize(SAVED_GAME_READ_AHEAD * 7 / 2 + 77);
        for (size_t i = 0; i < m_aImage.size(); ++i)
            m_aImage[i] = static_cast<u8>((i / 7) * 13 + (i % 1000 == 0 ? i / 1000 : 0));
        TCompressedPipe pipe;
        ASSERT_EQ(pipe.Open(&m_File, COMPRESSED_PIPE_WRITE), 1u);
        ASSERT_EQ(pipe.Write(m_aImage.data(), Size()), Size());
        ASSERT_EQ(pipe.Close(), 0u);
        m_aStream.assign(m_File.GetData(), m_File.GetData() + m_File.GetSize());
        m_File.Open(TName("anna/1.save", true), STREAM_READ);
    }

    i32 Size() const { return static_cast<i32>(m_aImage.size()); }

    // The image over these stream bytes, claiming the size.
    void Open(TSavedGameImage& image, std::vector<u8>& stream, u32 size)
    {
        m_File.Attach(stream.data(), static_cast<i32>(stream.size()));
        ASSERT_EQ(image.Open(m_File, size), 1u);
    }

    std::vector<u8> ReadAll(TSavedGameImage& image, i32 size)
    {
        std::vector<u8> bytes(size);
        EXPECT_EQ(image.Read(bytes.data(), size), size);
        return bytes;
    }

    TScratchWorkingFolder m_Folder{"savedgameimage"};
    std::vector<u8> m_aImage;
    std::vector<u8> m_aStream;
    TMemoryStream m_File;
};
} // namespace

TEST_F(SavedGameImageTest, ReadsOfEverySizeGiveTheImage)
{
    TSavedGameImage image;
    Open(image, m_aStream, static_cast<u32>(Size()));
    EXPECT_STREQ(image.GetName().GetText(), "anna/1.save");
    // Small reads inside the block and over its end, a read of exactly a block, one of more
    // than a block while part of the block is unread, and the rest.
    const i32 sizes[] = {1, 3, SAVED_GAME_READ_AHEAD - 10, 20, SAVED_GAME_READ_AHEAD, 5,
                         SAVED_GAME_READ_AHEAD + 9};
    std::vector<u8> read;
    for (i32 size : sizes)
    {
        const std::vector<u8> part = ReadAll(image, size);
        read.insert(read.end(), part.begin(), part.end());
        EXPECT_EQ(image.GetPosition(), static_cast<i32>(read.size()));
    }
    const std::vector<u8> rest = ReadAll(image, Size() - static_cast<i32>(read.size()));
    read.insert(read.end(), rest.begin(), rest.end());
    EXPECT_EQ(read, m_aImage);
    u8 beyond = 0;
    EXPECT_EQ(image.Read(&beyond, 1), 0);
    EXPECT_TRUE(image.ReadToEnd());

    // From the middle it moves only to where it stands, takes no writes, and reading to the end
    // inflates and checks the rest too.
    TSavedGameImage half;
    Open(half, m_aStream, static_cast<u32>(Size()));
    const i32 middle = Size() / 2;
    ReadAll(half, middle);
    for (const auto& [offset, origin, result] : {std::tuple{0, STREAM_SEEK_CUR, 0u}, {middle, STREAM_SEEK_SET, 0u},
                                                 {middle - Size(), STREAM_SEEK_END, 0u}, {0, STREAM_SEEK_SET, 1u},
                                                 {1, STREAM_SEEK_CUR, 1u}})
        EXPECT_EQ(half.Seek(offset, origin), result) << offset;
    EXPECT_EQ(half.Write(m_aImage.data(), 4), 0);
    const std::vector<u8> next = ReadAll(half, 50);
    EXPECT_TRUE(std::equal(next.begin(), next.end(), m_aImage.begin() + middle));
    EXPECT_TRUE(half.ReadToEnd());
    EXPECT_EQ(half.GetPosition(), Size());
}
