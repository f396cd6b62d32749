#include "core/text/encoding.h"

#include <iconv.h>

#include <algorithm>
#include <cerrno>
#include <vector>

namespace ladder51 {
namespace {

// Converts all of `input` with the system's iconv; fails on the first character that the
// target cannot hold or the source does not form.
Result<std::string> convert(std::string_view input, const char* to, const char* from) {
  iconv_t converter = iconv_open(to, from);
  if (converter == reinterpret_cast<iconv_t>(-1)) {
    return Error{ErrorKind::BadEncoding,
                 std::string("the system cannot convert from ") + from + " to " + to};
  }
  std::string output;
  std::vector<char> chunk(4096);
  std::string source(input);
  char* in = source.data();
  std::size_t inLeft = source.size();
  Result<std::string> result = std::string();
  while (inLeft > 0) {
    char* out = chunk.data();
    std::size_t outLeft = chunk.size();
    std::size_t converted = iconv(converter, &in, &inLeft, &out, &outLeft);
    output.append(chunk.data(), chunk.size() - outLeft);
    if (converted == static_cast<std::size_t>(-1) && errno != E2BIG) {
      const std::size_t offset = source.size() - inLeft;
      result = Error{ErrorKind::BadEncoding, std::string("text cannot be converted to ") + to +
                                                 " at byte " + std::to_string(offset)};
      break;
    }
  }
  iconv_close(converter);
  if (!result) return result;
  return output;
}

}  // namespace

std::string_view encodingName(FileEncoding encoding) {
  return encoding == FileEncoding::Gbk ? "gbk" : "utf-8";
}

Result<std::string> encodeText(std::string_view text, FileEncoding encoding) {
  if (encoding == FileEncoding::Utf8) {
    if (!isValidUtf8(text)) return Error{ErrorKind::BadEncoding, "text is not valid UTF-8"};
    return std::string(text);
  }
  return convert(text, "GBK", "UTF-8");
}

Result<std::string> decodeGbk(std::string_view bytes) {
  return convert(bytes, "UTF-8", "GBK");
}

bool isValidUtf8(std::string_view bytes) {
  std::size_t k = 0;
  while (k < bytes.size()) {
    const auto lead = static_cast<unsigned char>(bytes[k]);
    std::size_t length = 0;
    char32_t value = 0;
    if (lead < 0x80) {
      ++k;
      continue;
    } else if ((lead & 0xE0) == 0xC0) {
      length = 2;
      value = lead & 0x1F;
    } else if ((lead & 0xF0) == 0xE0) {
      length = 3;
      value = lead & 0x0F;
    } else if ((lead & 0xF8) == 0xF0) {
      length = 4;
      value = lead & 0x07;
    } else {
      return false;
    }
    if (k + length > bytes.size()) return false;
    for (std::size_t j = 1; j < length; ++j) {
      const auto next = static_cast<unsigned char>(bytes[k + j]);
      if ((next & 0xC0) != 0x80) return false;
      value = (value << 6) | (next & 0x3F);
    }
    // Overlong forms, surrogates and values past U+10FFFF are not UTF-8.
    constexpr char32_t kSmallest[] = {0, 0, 0x80, 0x800, 0x10000};
    if (value < kSmallest[length] || value > 0x10FFFF || (value >= 0xD800 && value <= 0xDFFF)) {
      return false;
    }
    k += length;
  }
  return true;
}

bool sameIgnoringCase(std::string_view a, std::string_view b) {
  return std::ranges::equal(a, b, [](char x, char y) {
    auto lower = [](char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c; };
    return lower(x) == lower(y);
  });
}

}  // namespace ladder51
