// The icon selection rule, the extension and key rules, the two caches and the
// program request chain, over a fake icon source that logs every request.
#include <gtest/gtest.h>

#include <cstdlib>
#include <functional>
#include <set>
#include <string>
#include <vector>

#include "format/text.h"
#include "icons/icon_set.h"

namespace {

std::string u8(const char16_t* s) { return s ? textToUtf8(s) : std::string("(null)"); }

ScanItem item(const char* name, bool folder = false, const char* path = nullptr) {
  ScanItem it = {};
  textCopy(it.name, kNameUnits, textFromUtf8(name).c_str());
  textCopy(it.fullPath, kPathUnits, textFromUtf8(path ? path : name).c_str());
  it.isFolder = folder;
  return it;
}

// Icons are numbered handles; the log shows every platform request in order.
struct FakeSource : IconSource {
  std::vector<std::string> log;
  std::function<bool(const std::string& name, ShellAsk ask, bool small)> answers =
      [](const std::string&, ShellAsk, bool) { return true; };
  int32_t iconsInFile = 1;
  bool attributesReadable = true;
  std::string shortForm;  // empty: GetShortPathNameW fails
  uint32_t error = 0, failError = 2;
  uintptr_t nextIcon = 0x1000;
  std::multiset<uintptr_t> destroyed;
  bool growthFails = false;

  IconHandle shellIcon(const char16_t* name, ShellAsk ask, bool small) override {
    std::string n = u8(name);
    log.push_back("shell " + n + (ask == ShellAsk::Path ? "" : " attr") + (small ? " small" : ""));
    if (!answers(n, ask, small)) {
      error = failError;
      return nullptr;
    }
    return reinterpret_cast<IconHandle>(nextIcon++);
  }
  int32_t iconCountInFile(const char16_t* path) override {
    log.push_back("count " + u8(path));
    return iconsInFile;
  }
  bool readAttributes(const char16_t*) override {
    if (!attributesReadable) error = 3;
    return attributesReadable;
  }
  size_t shortPath(const char16_t*, char16_t* out, size_t cap) override {
    if (shortForm.empty()) {
      error = 5;
      return 0;
    }
    std::u16string s = textFromUtf8(shortForm);
    if (s.size() + 1 > cap) return s.size() + 1;
    textCopy(out, cap, s.c_str());
    return s.size();
  }
  void clearLastError() override { error = 0; }
  uint32_t lastError() override { return error; }
  void destroyIcon(IconHandle icon) override { destroyed.insert(reinterpret_cast<uintptr_t>(icon)); }
  void* resizeBlock(void* block, size_t bytes) override {
    return growthFails ? nullptr : IconSource::resizeBlock(block, bytes);
  }
};

IconHandle H(uintptr_t v) { return reinterpret_cast<IconHandle>(v); }

struct IconsTest : ::testing::Test {
  IconSet set;
  FakeSource src;
  void SetUp() override {
    initIconSet(set, true, true, false, true);
    set.shellFolderIcon = H(1);
    set.shellFileIcon = H(2);
    set.genericExeIcon = H(3);
  }
  void TearDown() override { releaseIconSet(set, src); }
};

}  // namespace

TEST(IconChoiceRule, EveryBranch) {
  // c: colorIcons, e: showExeIcons, h: hostListIcons, L: all host icons and the
  // generic program icon loaded, -: none of them loaded.
  const struct {
    const char* name;
    bool folder;
    const char* flags;
    IconChoice want;
  } rows[] = {
      {"docs", true, "", IconChoice::None},
      {"a.txt", false, "e h L", IconChoice::None},
      {"Setup.EXE", false, "e h L", IconChoice::None},
      {"docs", true, "c h L", IconChoice::HostFolder},
      {"docs", true, "c h -", IconChoice::ShellFolder},
      {"docs", true, "c L", IconChoice::ShellFolder},
      {"tools.exe", true, "c e L", IconChoice::ShellFolder},  // a folder named like a program
      {"README", false, "c h L", IconChoice::HostNoExt},
      {"README", false, "c h -", IconChoice::ShellFile},
      {"README", false, "c L", IconChoice::ShellFile},
      {"backup.tar.gz", false, "c h L", IconChoice::HostArchive},
      {"disk.ISO", false, "c h L", IconChoice::HostArchive},
      {"backup.tar.gz", false, "c h -", IconChoice::Extension},
      {"backup.tar.gz", false, "c L", IconChoice::Extension},
      {"notes.txt", false, "c h L", IconChoice::Extension},
      {"Setup.EXE", false, "c e h L", IconChoice::Program},
      {"link.Lnk", false, "c e -", IconChoice::Program},
      {"Setup.exe", false, "c h L", IconChoice::HostProgram},
      {"Setup.exe", false, "c h -", IconChoice::ShellFile},
      {"Setup.exe", false, "c L", IconChoice::GenericProgram},
      {"link.lnk", false, "c -", IconChoice::ShellFile},
      {"setup.exe.txt", false, "c e h L", IconChoice::Extension},
  };
  for (const auto& r : rows) {
    std::string f = r.flags;
    bool loaded = f.find('L') != std::string::npos;
    IconChoiceInputs in = {f.find('c') != std::string::npos, f.find('e') != std::string::npos,
                           f.find('h') != std::string::npos, loaded, loaded, loaded, loaded, loaded};
    ScanItem it = item(r.name, r.folder, "C:\\x\\item");
    IconPick p = chooseIcon(in, it);
    EXPECT_EQ(static_cast<int>(p.choice), static_cast<int>(r.want)) << r.name << " " << r.flags;
    if (p.choice == IconChoice::Program) {
      EXPECT_EQ(p.path, it.fullPath);
    }
  }
}

TEST(IconChoiceRule, ExtensionsAndKeys) {
  const struct {
    const char* name;
    const char* ext;  // nullptr: no extension
    const char* key;
    bool archive;
  } rows[] = {
      {"backup.tar.gz", ".gz", ".gz", true},
      {"README", nullptr, "", false},
      {".profile", ".profile", ".profile", false},
      {"NOTES.TXT", ".TXT", ".txt", false},
      {"a.Z", ".Z", ".z", true},
      {"a.tbz2", ".tbz2", ".tbz2", true},
      {"a.zipx", ".zipx", ".zipx", false},
      {"trailing.", ".", ".", false},
      {"x.ABCDEFGHIJKLMNOPQRST", ".ABCDEFGHIJKLMNOPQRST", ".abcdefghijklmn", false},
      {"\xC3\x9C" "ber.\xC3\x84\xC3\x96", ".\xC3\x84\xC3\x96", ".\xC3\xA4\xC3\xB6", false},
  };
  for (const auto& r : rows) {
    std::u16string name = textFromUtf8(r.name);
    const char16_t* ext = lastExtension(name.c_str());
    EXPECT_EQ(ext ? u8(ext) : std::string("none"), r.ext ? r.ext : "none") << r.name;
    char16_t key[kIconKeyUnits];
    extensionCacheKey(ext, key);
    EXPECT_EQ(u8(key), r.key) << r.name;
    EXPECT_EQ(isArchiveExtension(ext), r.archive) << r.name;
  }
  EXPECT_FALSE(isArchiveExtension(nullptr));
  // A name filling its whole buffer without a terminator is read no further.
  ScanItem full = item("");
  for (char16_t& c : full.name) c = u'a';
  full.name[kNameUnits - 1] = u'.';
  EXPECT_EQ(lastExtension(full.name, kNameUnits), full.name + kNameUnits - 1);
}

TEST_F(IconsTest, CachesAskOncePerKeyGrowByDoublingAndNeverReplace) {
  IconHandle txt = iconForItem(set, src, item("a.TXT"));
  EXPECT_EQ(iconForItem(set, src, item("b.txt")), txt);
  iconForItem(set, src, item("x.ABCDEFGHIJKLMNOPQ"));
  iconForItem(set, src, item("x.abcdefghijklmnZZZ"));  // the same first 15 characters
  EXPECT_EQ(src.log, (std::vector<std::string>{"shell x.txt attr small", "shell x.abcdefghijklmn attr small"}));
  for (int i = 2; i < 65; ++i) {
    extensionIcon(set, src, textFromUtf8(".e" + std::to_string(i)).c_str());
    ASSERT_EQ(set.extIconCapacity, i < 32 ? 32 : i < 64 ? 64 : 128) << i;
  }
  EXPECT_EQ(iconForItem(set, src, item("c.tXt")), txt);  // survived both moves, not asked again
  EXPECT_EQ(src.log.size(), 65u);

  for (int i = 0; i < 33; ++i)
    programIcon(set, src, textFromUtf8("C:\\p\\" + std::to_string(i) + ".lnk").c_str());
  EXPECT_EQ(set.exeIconCapacity, 64);
  EXPECT_EQ(programIcon(set, src, u"c:\\P\\7.LNK"), set.exeIconCache[7].icon);  // case ignored
  EXPECT_EQ(src.log.size(), 65u + 33u);
  EXPECT_TRUE(src.destroyed.empty());
}

TEST_F(IconsTest, FailuresAreNotCachedAndGrowthFailureKeepsTheOldArray) {
  src.answers = [](const std::string& n, ShellAsk, bool) { return n != "x.bad"; };
  EXPECT_EQ(extensionIcon(set, src, u".bad"), set.shellFileIcon);
  EXPECT_EQ(extensionIcon(set, src, u".bad"), set.shellFileIcon);
  EXPECT_EQ(src.log.size(), 2u);  // asked again
  EXPECT_EQ(set.extIconCount, 0);

  for (int i = 0; i < 32; ++i) extensionIcon(set, src, textFromUtf8(".f" + std::to_string(i)).c_str());
  ExtIconEntry* before = set.extIconCache;
  IconHandle kept = set.extIconCache[31].icon;
  src.growthFails = true;
  EXPECT_EQ(extensionIcon(set, src, u".full"), set.shellFileIcon);
  EXPECT_EQ(src.destroyed.size(), 1u);  // the new icon, made for nothing
  EXPECT_EQ(set.extIconCache, before);
  EXPECT_EQ(set.extIconCapacity, 32);
  EXPECT_EQ(extensionIcon(set, src, u".f31"), kept);

  EXPECT_EQ(programIcon(set, src, u"C:\\a.exe"), set.genericExeIcon);  // no room on first insert
  EXPECT_EQ(set.exeIconCache, nullptr);
  set.genericExeIcon = nullptr;  // (the fixture's handle is not the set's to destroy now)
  EXPECT_EQ(programIcon(set, src, u"C:\\a.exe"), set.shellFileIcon);
  EXPECT_EQ(src.destroyed.size(), 3u);
}

// The first answer wins: small, then large, then both again by the short path.
// (The first request answering and none answering are proven beside the host
// icon and the fail line.)
TEST_F(IconsTest, ProgramIconsAreAskedSmallThenLargeThenByTheShortPath) {
  const char* path = "C:\\Program Files\\Tool\\tool.exe";
  const struct {
    bool small;
    const char* succeedsAt;  // the request that answers: "small", "large", "short small", ...
    const char* shortForm;
    std::vector<std::string> want;
  } rows[] = {
      {true, "C:\\Program Files\\Tool\\tool.exe", "", {"shell %P small", "shell %P"}},
      {false, "C:\\PROGRA~1\\Tool\\tool.exe", "C:\\PROGRA~1\\Tool\\tool.exe",
       {"shell %P", "shell C:\\PROGRA~1\\Tool\\tool.exe"}},
      {true, "C:\\PROGRA~1\\Tool\\tool.exe", "C:\\PROGRA~1\\Tool\\tool.exe",
       {"shell %P small", "shell %P", "shell C:\\PROGRA~1\\Tool\\tool.exe small",
        "shell C:\\PROGRA~1\\Tool\\tool.exe"}},
  };
  for (const auto& r : rows) {
    IconSet s;
    initIconSet(s, true, true, false, r.small);
    FakeSource f;
    std::string want = r.succeedsAt;
    f.answers = [want](const std::string& n, ShellAsk, bool small) {
      return n + (small ? " small" : "") == want;
    };
    f.shortForm = r.shortForm;
    IconHandle got = programIcon(s, f, textFromUtf8(path).c_str());
    std::vector<std::string> expected;
    for (std::string w : r.want) {
      size_t at = w.find("%P");
      if (at != std::string::npos) w.replace(at, 2, path);
      expected.push_back(w);
    }
    EXPECT_EQ(f.log, expected) << r.succeedsAt;
    EXPECT_NE(got, nullptr) << r.succeedsAt;
    releaseIconSet(s, f);
  }
}

TEST_F(IconsTest, FailLineHasItsExactFormatAndIsRewrittenEachTime) {
  EXPECT_EQ(u8(set.exeIconFailLine), "(no exe icon failures yet)");
  src.answers = [](const std::string&, ShellAsk, bool) { return false; };
  src.attributesReadable = false;
  std::string longDir(200, 'd');
  std::string path = "C:\\" + longDir + "\\app.exe";
  EXPECT_EQ(programIcon(set, src, textFromUtf8(path).c_str()), set.genericExeIcon);
  std::string shown = path.substr(0, 180);
  EXPECT_EQ(u8(set.exeIconFailLine), "EXEICON FAIL path=[" + shown + "] len=211 attrOk=N err=3 "
                                     "small=2 large=2 short=[] shortErr=5");
  src.attributesReadable = true;
  src.shortForm = "C:\\" + std::string(70, 's') + "\\APP.EXE";
  src.failError = 1168;
  programIcon(set, src, u"D:\\b.exe");
  EXPECT_EQ(u8(set.exeIconFailLine), "EXEICON FAIL path=[D:\\b.exe] len=8 attrOk=Y err=0 small=1168 "
                                     "large=1168 short=[" + src.shortForm.substr(0, 60) +
                                         "] shortErr=1168");
  EXPECT_EQ(set.exeIconCount, 0);  // failures are not cached
}

TEST_F(IconsTest, HostProgramIconForExesWithoutIconsOnly) {
  set.hostListIcons = 1;
  set.hostExeIcon = H(9);
  for (int32_t count : {0, -1}) {
    src.iconsInFile = count;
    EXPECT_EQ(programIcon(set, src, u"C:\\bare.EXE"), H(9)) << count;
  }
  EXPECT_EQ(src.log, (std::vector<std::string>{"count C:\\bare.EXE", "count C:\\bare.EXE"}));
  EXPECT_EQ(set.exeIconCount, 0);
  src.log.clear();
  IconHandle own = programIcon(set, src, u"C:\\bare.lnk");  // shortcuts skip the count
  EXPECT_EQ(src.log, std::vector<std::string>{"shell C:\\bare.lnk small"});
  src.iconsInFile = 2;
  EXPECT_NE(programIcon(set, src, u"C:\\own.exe"), H(9));
  EXPECT_NE(own, H(9));
  EXPECT_EQ(set.exeIconCount, 2);
}

TEST(IconSetRelease, DestroysEveryIconOnceAndFreesBothCaches) {
  IconSet set;
  initIconSet(set, true, true, true, false);
  FakeSource src;
  IconHandle* all[] = {&set.shellFolderIcon, &set.shellFileIcon,       &set.genericExeIcon,
                       &set.hostFolderIcon,  &set.hostNoExtIcon,       &set.hostExeIcon,
                       &set.hostArchiveIcon, &set.everythingLabelIcon, &set.everythingOverlayIcon};
  uintptr_t n = 1;
  for (IconHandle* h : all) *h = H(n++);
  set.hostNoExtIcon = nullptr;  // one that could not be loaded
  src.iconsInFile = 3;
  extensionIcon(set, src, u".a");
  programIcon(set, src, u"C:\\a.exe");
  releaseIconSet(set, src);
  std::multiset<uintptr_t> want = {1, 2, 3, 4, 6, 7, 8, 9, 0x1000, 0x1001};
  EXPECT_EQ(src.destroyed, want);
  EXPECT_EQ(set.extIconCache, nullptr);
  EXPECT_EQ(set.exeIconCache, nullptr);
  releaseIconSet(set, src);  // a second release finds nothing left
  EXPECT_EQ(src.destroyed.size(), want.size());
}
