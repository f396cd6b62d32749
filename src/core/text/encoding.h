// Character encodings of the files ladder51 writes and reads. Text is UTF-8 in memory; the
// generated source is written in GBK (the encoding the 8051 toolchain and its editor expect)
// unless UTF-8 is asked for.
#pragma once

#include <string>
#include <string_view>

#include "core/result.h"

namespace ladder51 {

enum class FileEncoding { Gbk, Utf8 };

// "gbk" or "utf-8".
std::string_view encodingName(FileEncoding encoding);

// The bytes of UTF-8 `text` in `encoding`; fails when a character has no GBK form.
Result<std::string> encodeText(std::string_view text, FileEncoding encoding);

// UTF-8 text of GBK bytes; fails on a byte sequence that is not GBK.
Result<std::string> decodeGbk(std::string_view bytes);

// Whether `bytes` is well-formed UTF-8.
bool isValidUtf8(std::string_view bytes);

// Whether two names are the same but for the case of their ASCII letters ("STC89C52", "fx").
bool sameIgnoringCase(std::string_view a, std::string_view b);

}  // namespace ladder51
