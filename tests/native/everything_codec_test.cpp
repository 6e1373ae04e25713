#include "scan/everything_codec.h"

#include <gtest/gtest.h>
#include <sys/mman.h>
#include <unistd.h>

#include <cstring>
#include <random>
#include <string>
#include <vector>

#include "format/text.h"
#include "tests/support/everything_replies.h"

using evreply::Bytes;
using evreply::Item;

namespace {

// Places a block so that it ends exactly at an inaccessible page: any read
// past its end faults instead of passing silently.
class GuardedBlock {
 public:
  explicit GuardedBlock(const Bytes& bytes) {
    size_t page = static_cast<size_t>(sysconf(_SC_PAGESIZE));
    span_ = ((bytes.size() + page - 1) / page + 1) * page;
    base_ = static_cast<uint8_t*>(
        mmap(nullptr, span_, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0));
    mprotect(base_ + span_ - page, page, PROT_NONE);
    data_ = base_ + span_ - page - bytes.size();
    if (!bytes.empty()) std::memcpy(data_, bytes.data(), bytes.size());
    size_ = bytes.size();
  }
  ~GuardedBlock() { munmap(base_, span_); }
  const uint8_t* data() const { return data_; }
  size_t size() const { return size_; }

 private:
  uint8_t* base_;
  uint8_t* data_;
  size_t span_;
  size_t size_;
};

std::u16string u16(const char* s) { return textFromUtf8(s); }

std::string searchText(EverythingQuery q, const char* path, int top = 50) {
  char16_t out[kQueryTextUnits * 8];
  everythingSearchText(q, u16(path).c_str(), top, out, sizeof out / 2);
  return textToUtf8(out);
}

struct FolderResult {
  bool ok;
  int stored;
  uint32_t tot, num;
  std::vector<FolderSizeEntry> table;
};

FolderResult parseFolders(const Bytes& b, int capacity = kFolderTableCapacity) {
  GuardedBlock g(b);
  FolderResult r;
  r.table.resize(capacity > 0 ? capacity : 1);
  r.ok = everythingParseFolderSizes(g.data(), g.size(), r.table.data(), capacity, &r.stored, &r.tot,
                                    &r.num);
  return r;
}

int parseTop(const Bytes& b, std::vector<TopFileEntry>& out, int capacity, bool* ok = nullptr) {
  GuardedBlock g(b);
  out.assign(capacity > 0 ? capacity : 1, TopFileEntry{});
  int stored = -1;
  bool r = everythingParseTopFiles(g.data(), g.size(), out.data(), capacity, &stored);
  if (ok) *ok = r;
  return stored;
}

ScanItem folderRow(const char* name, uint32_t fromEverything = 1) {
  ScanItem it{};
  textCopy(it.name, kNameUnits, u16(name).c_str());
  it.isFolder = 1;
  it.fromEverything = fromEverything;
  it.fileCount = 0;
  return it;
}

bool parseCounts(const Bytes& b, const char* target, std::vector<ScanItem>& rows, bool useIndex,
                 uint32_t* tot = nullptr, uint32_t* num = nullptr) {
  GuardedBlock g(b);
  std::u16string t = u16(target);
  ChildNameIndex index{};
  if (useIndex) childIndexBuild(&index, rows.data(), static_cast<int>(rows.size()));
  FileCountTarget ft{t.c_str(), everythingTrimmedLength(t.c_str()), rows.data(),
                     static_cast<int>(rows.size()), kFileCountMaxResults,
                     useIndex ? &index : nullptr};
  bool ok = everythingParseFileCounts(g.data(), g.size(), ft, tot, num);
  if (useIndex) childIndexRelease(&index);
  return ok;
}

Bytes withEntry(Bytes b, size_t item, uint32_t flags, uint32_t offset) {
  evreply::set32(b, evreply::entryAt(item), flags);
  evreply::set32(b, evreply::entryAt(item) + 4, offset);
  return b;
}

}  // namespace

TEST(EverythingQueryText, FormatsTrimsAndHandlesDriveRoots) {
  EXPECT_EQ(searchText(EverythingQuery::FolderSizes, "C:\\Data"), "folder:\"C:\\Data\\*\"");
  EXPECT_EQ(searchText(EverythingQuery::TopFiles, "C:\\Data"), "count:50 file:\"C:\\Data\\\"");
  EXPECT_EQ(searchText(EverythingQuery::TopFiles, "C:\\Data", 7), "count:7 file:\"C:\\Data\\\"");
  EXPECT_EQ(searchText(EverythingQuery::FileCounts, "C:\\Data"), "file:\"C:\\Data\\\"");
  // Trailing backslashes never change the query.
  for (auto q : {EverythingQuery::FolderSizes, EverythingQuery::TopFiles, EverythingQuery::FileCounts})
    EXPECT_EQ(searchText(q, "C:\\Data\\\\"), searchText(q, "C:\\Data"));
  EXPECT_EQ(searchText(EverythingQuery::FolderSizes, "C:\\"), "folder:\"C:\\*\"");
  EXPECT_EQ(searchText(EverythingQuery::FileCounts, "C:\\"), "file:\"C:\\\"");
  EXPECT_EQ(searchText(EverythingQuery::FileCounts, "\\\\\\"), "file:\"\\\"");
  EXPECT_EQ(everythingTrimmedLength(u"\\\\"), 0u);
  EXPECT_EQ(everythingTrimmedLength(u"C:\\a\\"), 4u);
}

TEST(EverythingQueryText, LongPathIsCutAndTerminated) {
  std::u16string path = u"C:\\" + std::u16string(2044, u'x');
  char16_t out[2047 + 32];
  out[2047 + 31] = 0x7777;
  size_t n = everythingSearchText(EverythingQuery::FolderSizes, path.c_str(), 50, out, 2047 + 32);
  EXPECT_EQ(n, 8u + 2047u + 3u);  // buffer of n + 32 units is always enough
  EXPECT_EQ(out[n], 0);
  char16_t tiny[10];
  n = everythingSearchText(EverythingQuery::TopFiles, path.c_str(), 50, tiny, 10);
  EXPECT_EQ(n, 9u);
  EXPECT_EQ(tiny[9], 0);
}

TEST(EverythingQueryBlock, HeaderTextAndExactLength) {
  std::u16string text = u"file:\"C:\\Data\\\"";
  std::vector<uint8_t> block(200, 0xEE);
  size_t n = everythingBuildQuery(block.data(), block.size(), 0x00123456u, 5000000, 4, 1,
                                  text.c_str(), text.size());
  ASSERT_EQ(n, 30 + 2 * text.size());
  EXPECT_EQ(everythingQueryBlockLength(text.size()), n);
  uint32_t f[7];
  std::memcpy(f, block.data(), sizeof f);
  EXPECT_EQ(f[0], 0x00123456u);
  EXPECT_EQ(f[1], 18u);
  EXPECT_EQ(f[2], 4u);
  EXPECT_EQ(f[3], 0u);
  EXPECT_EQ(f[4], 5000000u);
  EXPECT_EQ(f[5], 4u);
  EXPECT_EQ(f[6], 1u);
  EXPECT_EQ(0, std::memcmp(block.data() + 28, text.c_str(), 2 * text.size()));
  EXPECT_EQ(block[n - 2], 0);
  EXPECT_EQ(block[n - 1], 0);
  EXPECT_EQ(block[n], 0xEE);  // nothing written past the block
  EXPECT_EQ(everythingBuildQuery(block.data(), n - 1, 1, 1, 1, 1, text.c_str(), text.size()), 0u);
  // The table of the three questions.
  EXPECT_EQ(everythingQueryShape(EverythingQuery::FolderSizes).properties, 0x11u);
  EXPECT_EQ(everythingQueryShape(EverythingQuery::TopFiles).sortOrder, 6u);
  EXPECT_EQ(everythingQueryShape(EverythingQuery::FileCounts).waitMs, 20000u);
}

TEST(EverythingFolderReply, ReadsNamesSizesAndTotals) {
  Bytes b = evreply::reply(40, {{1, evreply::folderItem(u"alpha", 100)},
                                {0, evreply::folderItem(u"file.txt", 5)},  // no folder bit
                                {3, evreply::folderItem(u"Beta", 0)}});
  FolderResult r = parseFolders(b);
  ASSERT_TRUE(r.ok);
  EXPECT_EQ(r.tot, 40u);
  EXPECT_EQ(r.num, 3u);
  ASSERT_EQ(r.stored, 2);
  EXPECT_EQ(textToUtf8(r.table[0].name), "alpha");
  EXPECT_EQ(r.table[0].size, 100u);
  EXPECT_EQ(textToUtf8(r.table[1].name), "Beta");
  EXPECT_EQ(r.table[1].size, 0u);
}

TEST(EverythingFolderReply, HeaderOnlyAndShortBlocks) {
  FolderResult r = parseFolders(evreply::reply(0, {}));
  EXPECT_TRUE(r.ok);
  EXPECT_EQ(r.stored, 0);
  Bytes shortBlock(19, 0x11);
  r = parseFolders(shortBlock);
  EXPECT_FALSE(r.ok);
  EXPECT_EQ(r.tot, 0u);
  EXPECT_EQ(r.num, 0u);
  int stored = 5;
  uint32_t tot = 5, num = 5;
  EXPECT_FALSE(everythingParseFolderSizes(nullptr, 100, nullptr, 0, &stored, &tot, &num));
  EXPECT_EQ(stored + tot + num, 0u);
}

TEST(EverythingFolderReply, LongNameIsCutButSizeReadAfterTheWholeName) {
  std::u16string longName(300, u'n');
  longName[0] = u'N';
  FolderResult r = parseFolders(evreply::reply(1, {{1, evreply::folderItem(longName, 77)}}));
  ASSERT_EQ(r.stored, 1);
  EXPECT_EQ(textLength(r.table[0].name), 259u);
  EXPECT_EQ(r.table[0].name[0], u'N');
  EXPECT_EQ(r.table[0].size, 77u);
}

TEST(EverythingFolderReply, UnfitItemsAreSkippedAndSlotsReused) {
  Bytes good = evreply::folderItem(u"good", 9);
  Bytes b = evreply::reply(3, {{1, evreply::folderItem(u"x", 1)}, {1, good}, {1, good}});
  // Item 0's size runs one byte past the block: move it to the very end.
  Bytes noSize = evreply::folderItem(u"cut", 0);
  noSize.resize(noSize.size() - 1);
  uint32_t tail = static_cast<uint32_t>(b.size());
  b.insert(b.end(), noSize.begin(), noSize.end());
  b = withEntry(b, 0, 1, tail);
  b = withEntry(b, 2, 1, static_cast<uint32_t>(b.size()));  // offset == block length
  FolderResult r = parseFolders(b);
  ASSERT_TRUE(r.ok);
  ASSERT_EQ(r.stored, 1);
  EXPECT_EQ(textToUtf8(r.table[0].name), "good");  // reused the slot of "cut"
  EXPECT_EQ(r.table[0].size, 9u);
}

TEST(EverythingFolderReply, CraftedLengthsOffsetsAndCountsStayInside) {
  Bytes base = evreply::reply(1, {{1, evreply::folderItem(u"ok", 1)}});
  const uint32_t d = evreply::dataOffset(base, 0);
  for (uint32_t L : {0x7FFFFFFFu, 0xFFFFFFFFu, 0x80000000u, 0x7FFFFFFEu}) {
    Bytes b = base;
    evreply::set32(b, d, L);
    FolderResult r = parseFolders(b);
    EXPECT_TRUE(r.ok);
    EXPECT_EQ(r.stored, 0) << L;
  }
  for (uint32_t off : {0xFFFFFFFFu, 0xFFFFFFFCu, 0xFFFFFFF8u, 0x80000000u,
                       static_cast<uint32_t>(base.size() - 3)}) {
    FolderResult r = parseFolders(withEntry(base, 0, 1, off));
    EXPECT_EQ(r.stored, 0) << off;
  }
  // num far beyond the items: the walk ends where the item table leaves the block.
  for (uint32_t num : {2u, 1000u, 0x7FFFFFFFu, 0xFFFFFFFFu, 0x80000000u}) {
    Bytes b = base;
    evreply::set32(b, 4, num);
    FolderResult r = parseFolders(b);
    EXPECT_TRUE(r.ok);
    EXPECT_EQ(r.num, num);
    EXPECT_LE(r.stored, 1);
  }
  // An item entry that ends one byte past the block ends the walk.
  Bytes header = evreply::replyWithNum(0, 1, {});
  header.resize(27, 0);
  EXPECT_EQ(parseFolders(header).stored, 0);
}

TEST(EverythingFolderReply, CapacityBoundsTheTable) {
  std::vector<Item> items;
  for (int i = 0; i < 10; ++i) items.push_back({1, evreply::folderItem(u"f", i + 1)});
  FolderResult r = parseFolders(evreply::reply(10, items), 4);
  EXPECT_EQ(r.stored, 4);
  EXPECT_EQ(r.table.size(), 4u);
  EXPECT_EQ(parseFolders(evreply::reply(10, items), 0).stored, 0);
}

TEST(EverythingTopFilesReply, ReadsEntriesInOrderWhateverTheirFlags) {
  std::vector<TopFileEntry> out;
  Bytes b = evreply::reply(2, {{0, evreply::topFileItem(u"big.iso", u"C:\\Data\\big.iso", 900)},
                               {7, evreply::topFileItem(u"a.txt", u"C:\\Data\\x\\a.txt", 10)}});
  bool ok = false;
  ASSERT_EQ(parseTop(b, out, 50, &ok), 2);
  EXPECT_TRUE(ok);
  EXPECT_EQ(textToUtf8(out[0].name), "big.iso");
  EXPECT_EQ(textToUtf8(out[0].fullPath), "C:\\Data\\big.iso");
  EXPECT_EQ(out[0].size, 900u);
  EXPECT_EQ(textToUtf8(out[1].fullPath), "C:\\Data\\x\\a.txt");
  EXPECT_EQ(parseTop(b, out, 1), 1);
  EXPECT_EQ(parseTop(Bytes(12, 0), out, 5, &ok), 0);
  EXPECT_FALSE(ok);
}

TEST(EverythingTopFilesReply, LongTextsAreCutAndBrokenItemsSkipped) {
  std::u16string name(400, u'a'), path = u"C:\\" + std::u16string(3000, u'p');
  std::vector<TopFileEntry> out;
  Bytes b = evreply::reply(1, {{0, evreply::topFileItem(name, path, 5)}});
  ASSERT_EQ(parseTop(b, out, 4), 1);
  EXPECT_EQ(textLength(out[0].name), 259u);
  EXPECT_EQ(textLength(out[0].fullPath), 2047u);
  EXPECT_EQ(out[0].size, 5u);

  Bytes base = evreply::reply(1, {{0, evreply::topFileItem(u"n", u"C:\\n", 5)}});
  const uint32_t d = evreply::dataOffset(base, 0);
  const uint32_t pAt = d + 4 + 2 * 1 + 2;
  for (uint32_t v : {0x7FFFFFFFu, 0xFFFFFFFFu, 0x80000001u}) {
    Bytes b1 = base, b2 = base;
    evreply::set32(b1, d, v);    // name length
    evreply::set32(b2, pAt, v);  // path length
    EXPECT_EQ(parseTop(b1, out, 4), 0);
    EXPECT_EQ(parseTop(b2, out, 4), 0);
  }
  Bytes cut = base;
  cut.pop_back();  // size ends one byte past the block
  EXPECT_EQ(parseTop(cut, out, 4), 0);
  EXPECT_EQ(parseTop(withEntry(base, 0, 0, 0xFFFFFFFEu), out, 4), 0);
}

TEST(EverythingFileCounts, CountsFilesInsideChildFoldersOnly) {
  std::vector<ScanItem> rows = {folderRow("Docs"), folderRow("walked", 0), folderRow("docs"),
                                folderRow("Pics")};
  rows[3].isFolder = 0;  // a file row never counts
  Bytes b = evreply::reply(9, {
      {0, evreply::countItem(u"C:\\Data\\docs\\a.txt")},
      {0, evreply::countItem(u"c:\\data\\DOCS\\deep\\b.txt")},  // case ignored everywhere
      {0, evreply::countItem(u"C:\\Data\\top.txt")},            // directly in the target
      {0, evreply::countItem(u"C:\\Data\\walked\\c.txt")},      // not sized by the engine
      {0, evreply::countItem(u"C:\\Database\\docs\\d.txt")},    // only a prefix of the target
      {0, evreply::countItem(u"C:\\Data\\Pics\\e.jpg")},
      {0, evreply::countItem(u"C:\\Data\\\\f.txt")},            // empty child name
      {0, evreply::countItem(u"C:\\Data")},
      {0, evreply::countItem(u"D:\\Data\\docs\\g.txt")},
  });
  for (bool useIndex : {false, true}) {
    for (auto& r : rows) r.fileCount = 0;
    uint32_t tot = 0, num = 0;
    ASSERT_TRUE(parseCounts(b, "C:\\Data\\", rows, useIndex, &tot, &num));
    EXPECT_EQ(tot, 9u);
    EXPECT_EQ(num, 9u);
    EXPECT_EQ(rows[0].fileCount, 2);  // the first of the two equal names takes all
    EXPECT_EQ(rows[1].fileCount, 0);
    EXPECT_EQ(rows[2].fileCount, 0);
    EXPECT_EQ(rows[3].fileCount, 0);
  }
}

TEST(EverythingFileCounts, DriveRootAndSegmentLengthLimits) {
  std::u16string name259(259, u'z'), name260(260, u'z');
  std::vector<ScanItem> rows = {folderRow("Data"), folderRow(textToUtf8(name259.c_str()).c_str())};
  Bytes b = evreply::reply(3, {{0, evreply::countItem(u"C:\\Data\\x")},
                               {0, evreply::countItem(u"C:\\" + name259 + u"\\x")},
                               {0, evreply::countItem(u"C:\\" + name260 + u"\\x")}});
  for (bool useIndex : {false, true}) {
    for (auto& r : rows) r.fileCount = 0;
    ASSERT_TRUE(parseCounts(b, "C:\\", rows, useIndex));
    EXPECT_EQ(rows[0].fileCount, 1);
    EXPECT_EQ(rows[1].fileCount, 1);  // the 260-character segment counted for no row
  }
}

TEST(EverythingFileCounts, CraftedItemsNeverReadOutside) {
  std::vector<ScanItem> rows = {folderRow("a")};
  Bytes base = evreply::reply(1, {{0, evreply::countItem(u"C:\\D\\a\\f")}});
  const uint32_t d = evreply::dataOffset(base, 0);
  ASSERT_TRUE(parseCounts(base, "C:\\D", rows, true));
  EXPECT_EQ(rows[0].fileCount, 1);
  for (uint32_t P : {0x7FFFFFFFu, 0xFFFFFFFFu, 0x80000000u, 9u}) {
    Bytes b = base;
    evreply::set32(b, d, P);
    rows[0].fileCount = 0;
    EXPECT_TRUE(parseCounts(b, "C:\\D", rows, true));
    EXPECT_EQ(rows[0].fileCount, 0) << P;
  }
  for (uint32_t off : {0xFFFFFFFFu, 0xFFFFFFFDu, static_cast<uint32_t>(base.size())}) {
    rows[0].fileCount = 0;
    EXPECT_TRUE(parseCounts(withEntry(base, 0, 0, off), "C:\\D", rows, true));
    EXPECT_EQ(rows[0].fileCount, 0);
  }
  Bytes cut = base;
  cut.pop_back();  // terminator one byte past the block
  rows[0].fileCount = 0;
  EXPECT_TRUE(parseCounts(cut, "C:\\D", rows, true));
  EXPECT_EQ(rows[0].fileCount, 0);
  Bytes huge = base;
  evreply::set32(huge, 4, 0xFFFFFFFFu);
  EXPECT_TRUE(parseCounts(huge, "C:\\D", rows, true));
  EXPECT_FALSE(parseCounts(Bytes(19, 0), "C:\\D", rows, true));
}

// The index must give exactly what walking the rows gives, for any mix of
// names, case variants, duplicates and rows the rule ignores.
TEST(EverythingFileCounts, IndexMatchesTheLinearRule) {
  std::mt19937 rng(12345);
  const char16_t alphabet[] = u"aAbBcC\u00e9\u00c9\u0416\u0436_.";
  for (int round = 0; round < 30; ++round) {
    std::vector<ScanItem> rows(1 + rng() % 60);
    auto randomName = [&] {
      std::u16string s;
      size_t len = 1 + rng() % 4;
      for (size_t k = 0; k < len; ++k) s += alphabet[rng() % 12];
      return s;
    };
    for (auto& r : rows) {
      r = ScanItem{};
      textCopy(r.name, kNameUnits, randomName().c_str());
      r.isFolder = rng() % 5 != 0;
      r.fromEverything = rng() % 4 != 0;
      r.fileCount = 0;
    }
    std::vector<Item> items;
    for (int i = 0; i < 400; ++i)
      items.push_back({0, evreply::countItem(u"C:\\T\\" + randomName() + u"\\f")});
    Bytes b = evreply::reply(400, items);
    std::vector<ScanItem> linear = rows, indexed = rows;
    parseCounts(b, "C:\\T", linear, false);
    parseCounts(b, "C:\\T", indexed, true);
    for (size_t i = 0; i < rows.size(); ++i) ASSERT_EQ(linear[i].fileCount, indexed[i].fileCount);
  }
}
