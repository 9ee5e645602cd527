#include "ageia/nxstream.h"
#include "core/stream/memorystream.h"
#include "support/scratchworkingfolder.h"

#include <gtest/gtest.h>

#include <string>

TEST(NxStream, ValuesGoThroughTheEngineStreamAndAShortReadIsLoggedOnceAsOnes)
{
    TScratchWorkingFolder folder("nxstream");
    TMemoryStream memory;
    TNxStream stream(memory);
    stream.storeByte(7).storeWord(0x1234).storeDword(0xDEADBEEF).storeFloat(1.5f).storeDouble(-2.25);
    const u8 bytes[3] = {1, 2, 3};
    stream.storeBuffer(bytes, 3);
    EXPECT_EQ(1 + 2 + 4 + 4 + 8 + 3, memory.GetSize());

    memory.Seek(0, 0);
    EXPECT_EQ(22u, stream.getAvailableBytes());
    EXPECT_EQ(7, stream.readByte());
    EXPECT_EQ(21u, stream.getAvailableBytes());
    EXPECT_EQ(0x1234, stream.readWord());
    EXPECT_EQ(0xDEADBEEFu, stream.readDword());
    EXPECT_FLOAT_EQ(1.5f, stream.readFloat());
    EXPECT_DOUBLE_EQ(-2.25, stream.readDouble());
    u8 back[5] = {9, 9, 9, 9, 9};
    stream.readBuffer(back, 5);
    EXPECT_EQ(3, back[2]);
    EXPECT_EQ(0xFF, back[3]);
    EXPECT_EQ(0xFF, back[4]);
    // Past the end: all ones, and no further lines.
    EXPECT_EQ(0xFFFFFFFFu, stream.readDword());
    EXPECT_EQ(0xFFFF, stream.readWord());
    EXPECT_EQ(0u, stream.getAvailableBytes());
    const std::string log = folder.SystemLog();
    const std::string line = "TNxStream::readBuffer(): error: read 3, expected 5";
    EXPECT_NE(log.find(line), std::string::npos);
    EXPECT_EQ(log.find("TNxStream::"), log.rfind("TNxStream::"));
}
