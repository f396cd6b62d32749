#include "core/text/encoding.h"

#include <gtest/gtest.h>

namespace ladder51 {
namespace {

TEST(Encoding, GbkRoundTripOfTheGeneratedComments) {
  const std::string text = "   _Nop();    /* 起始条件锁定时间大于4μs*/\r\n//开总中断，！";
  Result<std::string> gbk = encodeText(text, FileEncoding::Gbk);
  ASSERT_TRUE(gbk.ok()) << gbk.error().message;
  // The 16 Chinese characters take two bytes each in GBK instead of three; μ takes two in both.
  EXPECT_EQ(gbk->size(), text.size() - 16);
  EXPECT_NE(gbk->find("\xCA\xB1"), std::string::npos);  // 时 in GBK
  EXPECT_EQ(*decodeGbk(*gbk), text);
}

TEST(Encoding, Utf8IsWrittenAsItIs) {
  EXPECT_EQ(*encodeText("定时器", FileEncoding::Utf8), "定时器");
  EXPECT_FALSE(encodeText("\xE5\xAE", FileEncoding::Utf8).ok());
}

TEST(Encoding, CharactersWithoutAGbkFormAreRefused) {
  Result<std::string> refused = encodeText("ab\U0001F600", FileEncoding::Gbk);
  ASSERT_FALSE(refused.ok());
  EXPECT_NE(refused.error().message.find("at byte 2"), std::string::npos)
      << refused.error().message;
}

TEST(Encoding, LongTextsConvertWhole) {
  std::string text;
  for (int k = 0; k < 5000; ++k) text += "定时器x";
  Result<std::string> gbk = encodeText(text, FileEncoding::Gbk);
  ASSERT_TRUE(gbk.ok());
  EXPECT_EQ(gbk->size(), 5000u * 7);
  EXPECT_TRUE(*decodeGbk(*gbk) == text);
}

TEST(Encoding, Utf8Validation) {
  struct Row {
    const char* bytes;
    bool valid;
  };
  const Row rows[] = {{"", true},
                      {"abc", true},
                      {"定", true},
                      {"\xE5\xAE", false},
                      {"\xBC\xD7", false},
                      {"\xC0\x80", false},
                      {"\xED\xA0\x80", false},
                      {"\xF4\x90\x80\x80", false},
                      {"\xF0\x9F\x98\x80", true}};
  for (const Row& row : rows) EXPECT_EQ(isValidUtf8(row.bytes), row.valid) << row.bytes;
}

}  // namespace
}  // namespace ladder51
