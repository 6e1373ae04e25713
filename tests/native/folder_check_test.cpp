#include <gtest/gtest.h>

#include <map>
#include <string>
#include <vector>

#include "format/text.h"
#include "plugin/folder_check.h"

namespace {

// A file system that knows some paths' attributes and records every question.
struct FakeAttributes {
  std::map<std::string, uint32_t> known;
  std::vector<std::string> asked;
};

uint32_t query(const char16_t* path, void* context) {
  auto* fs = static_cast<FakeAttributes*>(context);
  std::string p = textToUtf8(path);
  fs->asked.push_back(p);
  auto it = fs->known.find(p);
  return it == fs->known.end() ? kInvalidAttributes : it->second;
}

TEST(FolderCheck, AsksTheLongFormFirstThenThePathAsGiven) {
  struct Case {
    const char* path;
    std::vector<std::string> known;  // paths that exist as folders
    bool shown;
    std::vector<std::string> asked;
  } cases[] = {
      {"C:\\Data", {"\\\\?\\C:\\Data"}, true, {"\\\\?\\C:\\Data"}},
      {"\\\\srv\\share\\dir", {"\\\\?\\UNC\\srv\\share\\dir"}, true, {"\\\\?\\UNC\\srv\\share\\dir"}},
      {"\\\\?\\C:\\x", {"\\\\?\\C:\\x"}, true, {"\\\\?\\C:\\x"}},
      // Only the plain form reaches it: still shown.
      {"C:\\Odd", {"C:\\Odd"}, true, {"\\\\?\\C:\\Odd", "C:\\Odd"}},
      {"\\\\srv\\gone", {}, false, {"\\\\?\\UNC\\srv\\gone", "\\\\srv\\gone"}},
      {"", {}, false, {}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.path);
    FakeAttributes fs;
    for (const std::string& k : c.known) fs.known[k] = kAttributeDirectory;
    EXPECT_EQ(isShowableFolder(textFromUtf8(c.path).c_str(), query, &fs), c.shown);
    EXPECT_EQ(fs.asked, c.asked);
  }
}

TEST(FolderCheck, FilesAndNullInputsAreDeclined) {
  FakeAttributes fs;
  fs.known["\\\\?\\C:\\a.txt"] = 0x20;  // archive, not a directory
  EXPECT_FALSE(isShowableFolder(u"C:\\a.txt", query, &fs));
  EXPECT_FALSE(isShowableFolder(nullptr, query, &fs));
  EXPECT_FALSE(isShowableFolder(u"C:\\", nullptr, &fs));
}

}  // namespace
