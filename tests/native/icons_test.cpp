// The icon selection rule, the extension and key rules, the two caches and the
// program request chain, over a fake icon source that logs every request.
#include <gtest/gtest.h>

#include <cstring>
#include <functional>
#include <set>
#include <string>
#include <vector>

#include "format/text.h"
#include "icons/icon_set.h"

namespace {

std::string u8(const char16_t* s) { return s ? textToUtf8(s) : std::string("none"); }
std::u16string u16(const std::string& s) { return textFromUtf8(s); }

ScanItem item(const char* name, bool folder = false) {
  ScanItem it = {};
  textCopy(it.name, kNameUnits, u16(name).c_str());
  textCopy(it.fullPath, kPathUnits, u"C:\\x\\item");
  it.isFolder = folder;
  return it;
}

// Icons are numbered handles from 0x1000. A request is logged as
// "shell <name>[ attr][ small]" and answers when `answers` says so.
struct FakeSource : IconSource {
  std::vector<std::string> log;
  std::function<bool(const std::string&)> answers = [](const std::string&) { return true; };
  int32_t iconsInFile = 1;
  bool attributesReadable = true, growthFails = false;
  std::string shortForm;  // empty: there is none
  uint32_t error = 0, failError = 2;
  uintptr_t nextIcon = 0x1000;
  std::multiset<uintptr_t> destroyed;

  IconHandle shellIcon(const char16_t* name, ShellAsk ask, bool small) override {
    std::string asked = u8(name) + (ask == ShellAsk::Path ? "" : " attr") + (small ? " small" : "");
    log.push_back("shell " + asked);
    if (answers(asked)) return reinterpret_cast<IconHandle>(nextIcon++);
    error = failError;
    return nullptr;
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
    if (!shortForm.empty()) textCopy(out, cap, u16(shortForm).c_str());
    return shortForm.empty() ? (error = 5, 0) : shortForm.size();
  }
  void clearLastError() override { error = 0; }
  uint32_t lastError() override { return error; }
  void destroyIcon(IconHandle h) override { destroyed.insert(reinterpret_cast<uintptr_t>(h)); }
  void* resizeBlock(void* block, size_t bytes) override {
    return growthFails ? nullptr : IconSource::resizeBlock(block, bytes);
  }
};

// Every stock and host icon is set but the host's no-extension one. Teardown
// proves the release: each icon still held and each the source made is
// destroyed exactly once, both caches are freed, a second release finds nothing.
struct IconsTest : ::testing::Test {
  IconSet set;
  FakeSource src;
  IconHandle* stock[9] = {&set.shellFolderIcon,     &set.shellFileIcon,   &set.genericExeIcon,
                          &set.hostFolderIcon,      &set.hostNoExtIcon,   &set.hostExeIcon,
                          &set.hostArchiveIcon,     &set.everythingLabelIcon,
                          &set.everythingOverlayIcon};
  void SetUp() override {
    initIconSet(set, true, true, false, true);
    for (uintptr_t i = 0; i < 9; ++i) *stock[i] = i == 4 ? nullptr : IconHandle(i + 1);
  }
  void TearDown() override {
    std::multiset<uintptr_t> want;
    for (IconHandle* h : stock)
      if (*h) want.insert(reinterpret_cast<uintptr_t>(*h));
    for (uintptr_t i = 0x1000; i < src.nextIcon; ++i) want.insert(i);
    releaseIconSet(set, src);
    EXPECT_EQ(src.destroyed, want);
    EXPECT_EQ(set.extIconCache, nullptr);
    EXPECT_EQ(set.exeIconCache, nullptr);
    releaseIconSet(set, src);
    EXPECT_EQ(src.destroyed, want);
  }
};

}  // namespace

TEST(IconChoiceRule, EveryBranch) {
  // c: colorIcons, e: showExeIcons, h: hostListIcons, L: all host icons and the
  // generic program icon loaded, -: none of them loaded.
  using C = IconChoice;
  const struct { const char* name; bool folder; const char* flags; C want; } rows[] = {
      {"docs", true, "", C::None},              {"docs", true, "c h L", C::HostFolder},
      {"docs", true, "c h -", C::ShellFolder},  {"docs", true, "c L", C::ShellFolder},
      {"tools.exe", true, "c e L", C::ShellFolder},  // a folder named like a program
      {"README", false, "c h L", C::HostNoExt}, {"README", false, "c h -", C::ShellFile},
      {"README", false, "c L", C::ShellFile},   {"disk.ISO", false, "c h L", C::HostArchive},
      {"b.tar.gz", false, "c h -", C::Extension}, {"b.tar.gz", false, "c L", C::Extension},
      {"Setup.EXE", false, "c e h L", C::Program}, {"link.Lnk", false, "c e -", C::Program},
      {"Setup.exe", false, "c h L", C::HostProgram}, {"Setup.exe", false, "c h -", C::ShellFile},
      {"Setup.exe", false, "c L", C::GenericProgram},
      {"setup.exe.txt", false, "c e h L", C::Extension}};
  for (const auto& r : rows) {
    auto on = [&](char c) { return std::strchr(r.flags, c) != nullptr; };
    IconChoiceInputs in = {on('c'), on('e'), on('h'), on('L'), on('L'), on('L'), on('L'), on('L')};
    ScanItem it = item(r.name, r.folder);
    IconPick p = chooseIcon(in, it);
    EXPECT_EQ(static_cast<int>(p.choice), static_cast<int>(r.want)) << r.name << " " << r.flags;
    EXPECT_EQ(p.path, p.choice == IconChoice::Program ? it.fullPath : nullptr) << r.name;
  }
}

TEST(IconChoiceRule, ExtensionsAndKeys) {
  // ext "none": no extension.
  const struct { const char *name, *ext, *key; bool archive; } rows[] = {
      {"backup.tar.gz", ".gz", ".gz", true},
      {"README", "none", "", false},
      {".profile", ".profile", ".profile", false},
      {"a.Z", ".Z", ".z", true},          {"a.tbz2", ".tbz2", ".tbz2", true},
      {"a.zipx", ".zipx", ".zipx", false}, {"trailing.", ".", ".", false},
      {"x.ABCDEFGHIJKLMNOPQRST", ".ABCDEFGHIJKLMNOPQRST", ".abcdefghijklmn", false},
      {"\xC3\x9C" "ber.\xC3\x84\xC3\x96", ".\xC3\x84\xC3\x96", ".\xC3\xA4\xC3\xB6", false},
  };
  for (const auto& r : rows) {
    std::u16string name = u16(r.name);
    const char16_t* ext = lastExtension(name.c_str());
    char16_t key[kIconKeyUnits];
    extensionCacheKey(ext, key);
    EXPECT_EQ(u8(ext) + " " + u8(key), std::string(r.ext) + " " + r.key) << r.name;
    EXPECT_EQ(isArchiveExtension(ext), r.archive) << r.name;
  }
  // A name filling its whole buffer without a terminator is read no further.
  ScanItem full = item("");
  for (char16_t& c : full.name) c = u'a';
  full.name[kNameUnits - 1] = u'.';
  EXPECT_EQ(lastExtension(full.name, kNameUnits), full.name + kNameUnits - 1);
}

TEST_F(IconsTest, CachesAskOncePerKeyAndKeepEveryEntryAsTheyGrow) {
  IconHandle txt = iconForItem(set, src, item("a.TXT"));
  EXPECT_EQ(iconForItem(set, src, item("b.txt")), txt);
  iconForItem(set, src, item("x.ABCDEFGHIJKLMNOPQ"));
  iconForItem(set, src, item("x.abcdefghijklmnZZZ"));  // the same first 15 characters
  EXPECT_EQ(src.log, (std::vector<std::string>{"shell x.txt attr small",
                                               "shell x.abcdefghijklmn attr small"}));
  for (int i = 2; i < 65; ++i) extensionIcon(set, src, u16(".e" + std::to_string(i)).c_str());
  EXPECT_EQ(iconForItem(set, src, item("c.tXt")), txt);  // survived both moves, not asked again
  EXPECT_EQ(src.log.size(), 65u);
  EXPECT_GE(set.extIconCapacity, set.extIconCount);  // every entry inside the array

  for (int i = 0; i < 33; ++i)
    programIcon(set, src, u16("C:\\p\\" + std::to_string(i) + ".lnk").c_str());
  EXPECT_EQ(programIcon(set, src, u"c:\\P\\7.LNK"), set.exeIconCache[7].icon);  // case ignored
  EXPECT_EQ(src.log.size(), 65u + 33u);
  EXPECT_GE(set.exeIconCapacity, set.exeIconCount);
  EXPECT_TRUE(src.destroyed.empty());
}

TEST_F(IconsTest, FailuresAreNotCachedAndAFailedGrowthKeepsEveryEntry) {
  src.answers = [](const std::string& asked) { return asked != "x.bad attr small"; };
  EXPECT_EQ(extensionIcon(set, src, u".bad"), set.shellFileIcon);
  EXPECT_EQ(extensionIcon(set, src, u".bad"), set.shellFileIcon);
  EXPECT_EQ(src.log.size(), 2u);  // asked again
  EXPECT_EQ(set.extIconCount, 0);

  for (int i = 0; i < 32; ++i) extensionIcon(set, src, u16(".f" + std::to_string(i)).c_str());
  IconHandle kept = set.extIconCache[31].icon;
  src.growthFails = true;
  EXPECT_EQ(extensionIcon(set, src, u".full"), set.shellFileIcon);
  EXPECT_EQ(src.destroyed.size(), 1u);  // the new icon, made for nothing
  EXPECT_EQ(extensionIcon(set, src, u".f31"), kept);

  EXPECT_EQ(programIcon(set, src, u"C:\\a.exe"), set.genericExeIcon);  // no room on first insert
  EXPECT_EQ(set.exeIconCache, nullptr);
  set.genericExeIcon = nullptr;  // (the fixture's handle is not the set's to destroy now)
  EXPECT_EQ(programIcon(set, src, u"C:\\a.exe"), set.shellFileIcon);
  EXPECT_EQ(src.destroyed.size(), 3u);
}

// Small, then large, then both again by the short path, when there is one; the
// first answer wins, and a failure rewrites the line with what each request met.
TEST_F(IconsTest, ProgramRequestChainAndItsFailLine) {
  EXPECT_EQ(u8(set.exeIconFailLine), "(no exe icon failures yet)");
  src.answers = [](const std::string&) { return false; };
  src.attributesReadable = false;
  std::string path = "C:\\" + std::string(200, 'd') + "\\app.exe";
  EXPECT_EQ(programIcon(set, src, u16(path).c_str()), set.genericExeIcon);
  EXPECT_EQ(src.log, (std::vector<std::string>{"shell " + path + " small", "shell " + path}));
  EXPECT_EQ(u8(set.exeIconFailLine),
            "EXEICON FAIL path=[" + path.substr(0, 180) +
                "] len=211 attrOk=N err=3 small=2 large=2 short=[] shortErr=5");
  src.attributesReadable = true;
  src.shortForm = "C:\\" + std::string(70, 's') + "\\APP.EXE";
  src.failError = 1168;
  src.log.clear();
  programIcon(set, src, u"D:\\b.exe");
  const std::string& s = src.shortForm;
  EXPECT_EQ(src.log, (std::vector<std::string>{"shell D:\\b.exe small", "shell D:\\b.exe",
                                               "shell " + s + " small", "shell " + s}));
  EXPECT_EQ(u8(set.exeIconFailLine),
            "EXEICON FAIL path=[D:\\b.exe] len=8 attrOk=Y err=0 small=1168 large=1168 short=[" +
                s.substr(0, 60) + "] shortErr=1168");
  EXPECT_EQ(set.exeIconCount, 0);  // failures are not cached
  // The request that answers is the last one made.
  src.shortForm = "C:\\S.EXE";
  const struct { bool small; const char *path, *answering; size_t asked; } rows[] = {
      {true, "C:\\P1.exe", "C:\\P1.exe", 2},
      {false, "C:\\P2.exe", "C:\\S.EXE", 2},
      {true, "C:\\P3.exe", "C:\\S.EXE small", 3}};
  for (const auto& r : rows) {
    set.useSmallIcons = r.small;
    src.log.clear();
    std::string answering = r.answering;
    src.answers = [answering](const std::string& asked) { return asked == answering; };
    EXPECT_NE(programIcon(set, src, u16(r.path).c_str()), set.genericExeIcon) << r.path;
    EXPECT_EQ(src.log.size(), r.asked) << r.path;
  }
}

TEST_F(IconsTest, HostIconsWhereLoadedAndTheProgramOneForExesWithoutIconsOnly) {
  set.hostListIcons = 1;
  for (int32_t count : {0, -1}) {
    src.iconsInFile = count;
    EXPECT_EQ(programIcon(set, src, u"C:\\bare.EXE"), set.hostExeIcon) << count;
  }
  EXPECT_EQ(src.log, (std::vector<std::string>{"count C:\\bare.EXE", "count C:\\bare.EXE"}));
  src.log.clear();
  IconHandle own = programIcon(set, src, u"C:\\bare.lnk");  // shortcuts skip the count
  EXPECT_EQ(src.log, std::vector<std::string>{"shell C:\\bare.lnk small"});
  src.iconsInFile = 2;
  EXPECT_NE(programIcon(set, src, u"C:\\own.exe"), set.hostExeIcon);
  EXPECT_NE(own, set.hostExeIcon);
  EXPECT_EQ(set.exeIconCount, 2);
  // The host's other icons stand in where loaded, the shell's where not.
  EXPECT_EQ(iconForItem(set, src, item("docs", true)), set.hostFolderIcon);
  EXPECT_EQ(iconForItem(set, src, item("a.zip")), set.hostArchiveIcon);
  EXPECT_EQ(iconForItem(set, src, item("README")), set.shellFileIcon);
}
