// Which host paths the panel shows: the long form is asked first, the path as
// given second, and only a folder is shown.
#include <gtest/gtest.h>

#include <string>

#include "format/text.h"
#include "plugin/folder_check.h"

namespace {

// The platform: knows the folder given as the context and one file
// (\\?\C:\a.txt); every question it was asked, in order.
std::string asked;
uint32_t attributesOf(const char16_t* path, void* folder) {
  std::string p = textToUtf8(path);
  asked += p + ";";
  if (p == static_cast<const char*>(folder)) return kAttributeDirectory;
  return p == "\\\\?\\C:\\a.txt" ? 0x20 : kInvalidAttributes;
}

TEST(FolderCheck, ShowsFoldersAskingTheLongFormFirstThenThePathAsGiven) {
  const char* rows[][3] = {  // {path, the folder the platform knows (shown if asked), the questions}
      {"C:\\Data", "\\\\?\\C:\\Data", "\\\\?\\C:\\Data;"},
      {"\\\\srv\\share\\d", "\\\\?\\UNC\\srv\\share\\d", "\\\\?\\UNC\\srv\\share\\d;"},
      {"\\\\?\\C:\\x", "\\\\?\\C:\\x", "\\\\?\\C:\\x;"},
      {"\\\\srv\\odd", "\\\\srv\\odd", "\\\\?\\UNC\\srv\\odd;\\\\srv\\odd;"},  // only the plain form reaches it
      {"C:\\a.txt", "", "\\\\?\\C:\\a.txt;"},
  };
  for (const auto& r : rows) {
    asked.clear();
    bool shown = isShowableFolder(textFromUtf8(r[0]).c_str(), attributesOf, const_cast<char*>(r[1]));
    EXPECT_EQ(shown, *r[1] != 0) << r[0];
    EXPECT_EQ(asked, r[2]) << r[0];
  }
  EXPECT_FALSE(isShowableFolder(nullptr, attributesOf, nullptr));
  EXPECT_FALSE(isShowableFolder(u"C:\\", nullptr, nullptr));
}

}  // namespace
