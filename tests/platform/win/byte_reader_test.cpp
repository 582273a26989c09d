#include "platform/win/byte_reader.h"

#include <gtest/gtest.h>

#include <array>

namespace {

TEST(ByteReader, ReadsLittleEndianScalarsInOrder) {
  const std::array<uint8_t, 15> bytes{0x34, 0x12, 0xFE, 0xFF, 0x78, 0x56, 0x34, 0x12,
                                      0x00, 0x00, 0xC0, 0x3F, 'a',  'b',  0};
  win::ByteReader reader(bytes);
  EXPECT_EQ(reader.U16(), 0x1234);
  EXPECT_EQ(reader.I16(), -2);
  EXPECT_EQ(reader.U32(), 0x12345678u);
  EXPECT_FLOAT_EQ(reader.F32(), 1.5f);
  EXPECT_EQ(reader.CString(8), "ab");
  EXPECT_TRUE(reader.Ok());
  EXPECT_TRUE(reader.AtEnd());
}

TEST(ByteReader, ReadPastEndFailsAndStaysFailed) {
  const std::array<uint8_t, 3> bytes{1, 2, 3};
  win::ByteReader reader(bytes);
  EXPECT_EQ(reader.U32(), 0u);
  EXPECT_FALSE(reader.Ok());
  EXPECT_EQ(reader.U8(), 0) << "a failed reader must not resume at its old position";
  EXPECT_EQ(reader.Remaining(), 0u);
}

TEST(ByteReader, SubReaderIsBoundedToItsBody) {
  const std::array<uint8_t, 6> bytes{1, 2, 3, 4, 5, 6};
  win::ByteReader reader(bytes);
  reader.U8();
  win::ByteReader body = reader.Sub(2);
  EXPECT_EQ(body.U16(), 0x0302);
  EXPECT_EQ(body.U8(), 0);
  EXPECT_FALSE(body.Ok());
  EXPECT_TRUE(reader.Ok());
  EXPECT_EQ(reader.U8(), 4);
  EXPECT_FALSE(reader.Sub(10).Ok());
  EXPECT_FALSE(reader.Ok());
}

TEST(ByteReader, StringsNeedTheirTerminatorOrLength) {
  const std::array<uint8_t, 4> unterminated{'a', 'b', 'c', 'd'};
  win::ByteReader a(unterminated);
  EXPECT_EQ(a.CString(10), "");
  EXPECT_FALSE(a.Ok());

  const std::array<uint8_t, 5> tooLong{'a', 'b', 'c', 0, 0};
  win::ByteReader b(tooLong);
  b.CString(2);
  EXPECT_FALSE(b.Ok());

  const std::array<uint8_t, 4> prefixed{3, 0, 'x', 'y'};
  win::ByteReader c(prefixed);
  EXPECT_EQ(c.LengthPrefixedString(), "");
  EXPECT_FALSE(c.Ok());
}

}  // namespace
