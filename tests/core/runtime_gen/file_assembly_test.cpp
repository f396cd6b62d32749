#include "core/runtime_gen/file_assembly.h"

#include <gtest/gtest.h>

namespace ladder51 {
namespace {

TEST(FileAssembly, JoinsTheSectionsWithTheirLineBreaks) {
  const SourceSections sections{"\r\nHEADER", "\r\nsbit X0=0x80;\r\n", "\r\nRUNTIME\r\n}",
                                "\r\nmain()\r\n#endif", "\r\nSTATEMENT;\r\n"};
  const AssembledSource source = assembleSource(sections, "#define Y24 dly\r\n");
  EXPECT_EQ(source.text,
            "\r\nHEADER\r\n"
            "\r\nsbit X0=0x80;\r\n#define Y24 dly\r\n\r\n"
            "\r\nRUNTIME\r\n}\r\n\r\n"
            "\r\nmain()\r\n#endif\r\n"
            "\r\nSTATEMENT;\r\n\r\nm8000&=0xfd;\r\n}}");
  EXPECT_EQ(source.text.substr(source.statementsOffset, 14), "\r\nSTATEMENT;\r\n");
}

TEST(FileAssembly, EmptyStatementsStillCloseTheLoopAndMain) {
  const AssembledSource source = assembleSource({"", "", "", "\r\nmain()", ""}, "");
  EXPECT_EQ(source.text, "\r\n\r\n\r\n\r\n\r\nmain()\r\n\r\nm8000&=0xfd;\r\n}}");
  EXPECT_EQ(source.statementsOffset, source.text.size() - 18);
}

TEST(FileAssembly, OutputsWithoutAPinAreRoutedToTheSpareByte) {
  PinMap pinMap;
  pinMap[0] = "Y0";
  pinMap[1] = "Y24";
  pinMap[2] = "X25";  // an input of the same number does not declare the output
  const std::vector<int> missing = undeclaredOutputs({0, 20, 21, 35}, pinMap);
  EXPECT_EQ(missing, (std::vector<int>{21, 35}));
  EXPECT_EQ(spareOutputDefines(missing), "#define Y25 dly\r\n#define Y43 dly\r\n");
  EXPECT_EQ(spareOutputDefines({}), "");
  EXPECT_TRUE(undeclaredOutputs({}, pinMap).empty());
}

}  // namespace
}  // namespace ladder51
