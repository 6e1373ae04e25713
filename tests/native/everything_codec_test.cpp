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
using Strings = std::vector<std::string>;

namespace {

// Calls f(data, size) on a copy of the block that ends exactly at an
// inaccessible page: any read past its end faults instead of passing silently.
template <class F>
void guarded(const Bytes& bytes, F f) {
  size_t page = static_cast<size_t>(sysconf(_SC_PAGESIZE));
  size_t span = ((bytes.size() + page - 1) / page + 1) * page;
  uint8_t* base = static_cast<uint8_t*>(
      mmap(nullptr, span, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0));
  mprotect(base + span - page, page, PROT_NONE);
  uint8_t* data = base + span - page - bytes.size();
  if (!bytes.empty()) std::memcpy(data, bytes.data(), bytes.size());
  f(data, bytes.size());
  munmap(base, span);
}

std::string searchText(EverythingQuery q, const std::string& path, int top) {
  char16_t out[kQueryTextUnits * 8];
  everythingSearchText(q, textFromUtf8(path.c_str()).c_str(), top, out, sizeof out / 2);
  return textToUtf8(out);
}

// What a parser took: the stored entries as "name|size" or "name|path|size",
// or the file count of every row.
struct Parsed {
  bool ok = false;
  int stored = -1;
  uint32_t tot = 0, num = 0;
  Strings entries;
  std::vector<int> counts;
};

Parsed folders(const Bytes& b, int capacity = kFolderTableCapacity) {
  Parsed p;
  std::vector<FolderSizeEntry> t(capacity > 0 ? capacity : 1);
  guarded(b, [&](const uint8_t* d, size_t n) {
    p.ok = everythingParseFolderSizes(d, n, t.data(), capacity, &p.stored, &p.tot, &p.num);
  });
  for (int i = 0; i < p.stored; ++i)
    p.entries.push_back(textToUtf8(t[i].name) + "|" + std::to_string(t[i].size));
  return p;
}

Parsed topFiles(const Bytes& b, int capacity = 50) {
  Parsed p;
  std::vector<TopFileEntry> t(capacity);
  guarded(b, [&](const uint8_t* d, size_t n) {
    p.ok = everythingParseTopFiles(d, n, t.data(), capacity, &p.stored);
  });
  for (int i = 0; i < p.stored; ++i)
    p.entries.push_back(textToUtf8(t[i].name) + "|" + textToUtf8(t[i].fullPath) + "|" +
                        std::to_string(t[i].size));
  return p;
}

ScanItem folderRow(const std::u16string& name, uint32_t fromEverything = 1) {
  ScanItem it{};
  textCopy(it.name, kNameUnits, name.c_str());
  it.isFolder = 1;
  it.fromEverything = fromEverything;
  return it;
}

// Counts through the index; walking the rows must give the same.
Parsed counts(const Bytes& b, const char* target, std::vector<ScanItem> rows) {
  Parsed p;
  std::u16string t = textFromUtf8(target);
  std::vector<ScanItem> linear = rows;
  ChildNameIndex index{};
  childIndexBuild(&index, rows.data(), static_cast<int>(rows.size()));
  for (auto* r : {&linear, &rows}) {
    FileCountTarget ft{t.c_str(), everythingTrimmedLength(t.c_str()), r->data(),
                       static_cast<int>(r->size()), kFileCountMaxResults,
                       r == &rows ? &index : nullptr};
    guarded(b, [&](const uint8_t* d, size_t n) {
      p.ok = everythingParseFileCounts(d, n, ft, &p.tot, &p.num);
    });
  }
  childIndexRelease(&index);
  for (size_t i = 0; i < rows.size(); ++i) {
    EXPECT_EQ(linear[i].fileCount, rows[i].fileCount) << "row " << i;
    p.counts.push_back(rows[i].fileCount);
  }
  return p;
}

Bytes withEntry(Bytes b, size_t item, uint32_t flags, uint32_t offset) {
  evreply::set32(b, evreply::entryAt(item), flags);
  evreply::set32(b, evreply::entryAt(item) + 4, offset);
  return b;
}

}  // namespace

TEST(EverythingQueryText, FormatsTrimsHandlesDriveRootsAndCutsLongPaths) {
  const struct { EverythingQuery q; const char* path; int top; const char* text; } rows[] = {
      {EverythingQuery::FolderSizes, "C:\\Data", 50, "folder:\"C:\\Data\\*\""},
      {EverythingQuery::TopFiles, "C:\\Data", 50, "count:50 file:\"C:\\Data\\\""},
      {EverythingQuery::TopFiles, "C:\\Data", 7, "count:7 file:\"C:\\Data\\\""},
      {EverythingQuery::FileCounts, "C:\\Data", 50, "file:\"C:\\Data\\\""},
      {EverythingQuery::FolderSizes, "C:\\", 50, "folder:\"C:\\*\""},
      {EverythingQuery::FileCounts, "C:\\", 50, "file:\"C:\\\""},
      {EverythingQuery::FileCounts, "\\\\\\", 50, "file:\"\\\""},
  };
  for (const auto& r : rows) {
    EXPECT_EQ(searchText(r.q, r.path, r.top), r.text);
    // Trailing backslashes never change the query.
    EXPECT_EQ(searchText(r.q, std::string(r.path) + "\\\\", r.top), r.text);
  }
  // A long path is cut, the text always terminated.
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
  std::vector<uint32_t> header(7);
  std::memcpy(header.data(), block.data(), 28);
  EXPECT_EQ(header, (std::vector<uint32_t>{0x00123456u, 18u, 4u, 0u, 5000000u, 4u, 1u}));
  EXPECT_EQ(0, std::memcmp(block.data() + 28, text.c_str(), 2 * text.size()));
  EXPECT_EQ(block[n - 2] | block[n - 1], 0);
  EXPECT_EQ(block[n], 0xEE);  // nothing written past the block
  EXPECT_EQ(everythingBuildQuery(block.data(), n - 1, 1, 1, 1, 1, text.c_str(), text.size()), 0u);
  // The table of the three questions.
  EXPECT_EQ(everythingQueryShape(EverythingQuery::FolderSizes).properties, 0x11u);
  EXPECT_EQ(everythingQueryShape(EverythingQuery::TopFiles).sortOrder, 6u);
  EXPECT_EQ(everythingQueryShape(EverythingQuery::FileCounts).waitMs, 20000u);
}

TEST(EverythingFolderReply, NamesSizesTotalsCapacityAndShortBlocks) {
  Parsed r = folders(evreply::reply(40, {{1, evreply::folderItem(u"alpha", 100)},
                                         {0, evreply::folderItem(u"file.txt", 5)},  // no folder bit
                                         {3, evreply::folderItem(u"Beta", 0)}}));
  EXPECT_TRUE(r.ok);
  EXPECT_EQ(r.tot, 40u);
  EXPECT_EQ(r.num, 3u);
  EXPECT_EQ(r.entries, (Strings{"alpha|100", "Beta|0"}));
  // A long name is cut, but the size is read after the whole name.
  std::u16string longName = u"N" + std::u16string(299, u'n');
  EXPECT_EQ(folders(evreply::reply(1, {{1, evreply::folderItem(longName, 77)}})).entries,
            Strings{"N" + std::string(258, 'n') + "|77"});

  std::vector<Item> ten(10, Item{1, evreply::folderItem(u"f", 1)});
  EXPECT_EQ(folders(evreply::reply(10, ten), 4).stored, 4);
  EXPECT_EQ(folders(evreply::reply(10, ten), 0).stored, 0);
  r = folders(evreply::reply(0, {}));
  EXPECT_TRUE(r.ok);
  EXPECT_EQ(r.stored, 0);
  int stored = 5;
  uint32_t tot = 5, num = 5;
  EXPECT_FALSE(everythingParseFolderSizes(nullptr, 100, nullptr, 0, &stored, &tot, &num));
  EXPECT_EQ(stored + tot + num, 0u);
}

TEST(EverythingTopFilesReply, ReadsEntriesInOrderWhateverTheirFlagsAndCutsLongTexts) {
  Bytes b = evreply::reply(2, {{0, evreply::topFileItem(u"big.iso", u"C:\\Data\\big.iso", 900)},
                               {7, evreply::topFileItem(u"a.txt", u"C:\\Data\\x\\a.txt", 10)}});
  Parsed r = topFiles(b);
  EXPECT_TRUE(r.ok);
  EXPECT_EQ(r.entries, (Strings{"big.iso|C:\\Data\\big.iso|900", "a.txt|C:\\Data\\x\\a.txt|10"}));
  EXPECT_EQ(topFiles(b, 1).stored, 1);
  std::u16string name(400, u'a'), path = u"C:\\" + std::u16string(3000, u'p');
  EXPECT_EQ(topFiles(evreply::reply(1, {{0, evreply::topFileItem(name, path, 5)}}), 4).entries,
            Strings{std::string(259, 'a') + "|C:\\" + std::string(2044, 'p') + "|5"});
}

// One valid item per answer kind, then one field of it crafted: no length,
// offset or count may make a parser read outside the block or take the item.
enum class Kind { Folders, TopFiles, Counts };
enum class Field { Length, PathLength, Offset, OffsetBeforeEnd, Num, CutLastByte, EntryCut };

Parsed parseKind(Kind k, const Bytes& b) {
  if (k == Kind::Folders) return folders(b);
  if (k == Kind::TopFiles) return topFiles(b, 4);
  Parsed p = counts(b, "C:\\D", {folderRow(u"a")});
  p.stored = p.ok ? p.counts[0] : 0;
  return p;
}

TEST(EverythingCraftedReply, LengthsOffsetsAndCountsStayInside) {
  const struct { Field field; std::vector<uint32_t> values; } rows[] = {
      {Field::Length, {0x7FFFFFFEu, 0x7FFFFFFFu, 0x80000000u, 0x80000001u, 0xFFFFFFFFu}},
      {Field::PathLength, {0x7FFFFFFFu, 0x80000001u, 0xFFFFFFFFu}},
      {Field::Offset, {0x80000000u, 0xFFFFFFF8u, 0xFFFFFFFCu, 0xFFFFFFFDu, 0xFFFFFFFEu, 0xFFFFFFFFu}},
      {Field::OffsetBeforeEnd, {3, 0}},
      {Field::Num, {2u, 1000u, 0x7FFFFFFFu, 0x80000000u, 0xFFFFFFFFu}},
      {Field::CutLastByte, {0}},  // the item's last byte lies past the block
      {Field::EntryCut, {0}},     // the first table entry ends one byte past the block
  };
  // Texts longer than what is kept: the kept units always fit, so only the
  // position after the whole text stands between a huge length and a taken item.
  const std::u16string name(300, u'n'), path = u"C:\\" + std::u16string(2100, u'p');
  const Bytes valid[] = {evreply::reply(1, {{1, evreply::folderItem(name, 1)}}),
                         evreply::reply(1, {{0, evreply::topFileItem(name, path, 5)}}),
                         evreply::reply(1, {{0, evreply::countItem(u"C:\\D\\a\\f")}})};
  for (Kind k : {Kind::Folders, Kind::TopFiles, Kind::Counts}) {
    const Bytes& base = valid[static_cast<int>(k)];
    ASSERT_EQ(parseKind(k, base).stored, 1);
    const uint32_t d = evreply::dataOffset(base, 0);
    for (const auto& row : rows) {
      for (uint32_t v : row.values) {
        if (row.field == Field::PathLength && k != Kind::TopFiles) continue;
        SCOPED_TRACE(testing::Message() << "kind " << int(k) << " field " << int(row.field)
                                        << " value " << std::hex << v);
        Bytes b = base;
        int expected = 0;
        switch (row.field) {
          case Field::Length: evreply::set32(b, d, v); break;
          case Field::PathLength: evreply::set32(b, d + 4 + 2 * 300 + 2, v); break;
          case Field::Offset: b = withEntry(b, 0, k == Kind::Folders, v); break;
          case Field::OffsetBeforeEnd:
            b = withEntry(b, 0, k == Kind::Folders, static_cast<uint32_t>(b.size()) - v);
            break;
          case Field::Num:
            evreply::set32(b, 4, v);
            expected = static_cast<int32_t>(v) > 0 ? 1 : 0;  // num >= 2^31 examines nothing
            break;
          case Field::CutLastByte: b.pop_back(); break;
          case Field::EntryCut:
            b = evreply::replyWithNum(0, 1, {});
            b.resize(27, 0);
            break;
        }
        Parsed p = parseKind(k, b);
        EXPECT_TRUE(p.ok);
        EXPECT_EQ(p.stored, expected);
        if (row.field == Field::Num && k != Kind::TopFiles) {
          EXPECT_EQ(p.num, v);
        }
      }
    }
    Parsed p = parseKind(k, Bytes(19, 0x11));  // shorter than the header
    EXPECT_FALSE(p.ok);
    EXPECT_EQ(p.tot + p.num, 0u);
  }
}

TEST(EverythingFileCounts, CountsFilesInsideChildFoldersOnly) {
  std::vector<ScanItem> rows = {folderRow(u"Docs"), folderRow(u"walked", 0), folderRow(u"docs"),
                                folderRow(u"Pics")};
  rows[3].isFolder = 0;  // a file row never counts
  Parsed r = counts(evreply::reply(9, {
      {0, evreply::countItem(u"C:\\Data\\docs\\a.txt")},
      {0, evreply::countItem(u"c:\\data\\DOCS\\deep\\b.txt")},  // case ignored everywhere
      {0, evreply::countItem(u"C:\\Data\\top.txt")},            // directly in the target
      {0, evreply::countItem(u"C:\\Data\\walked\\c.txt")},      // not sized by the engine
      {0, evreply::countItem(u"C:\\Database\\docs\\d.txt")},    // only a prefix of the target
      {0, evreply::countItem(u"C:\\Data\\Pics\\e.jpg")},
      {0, evreply::countItem(u"C:\\Data\\\\f.txt")},            // empty child name
      {0, evreply::countItem(u"C:\\Data")},
      {0, evreply::countItem(u"D:\\Data\\docs\\g.txt")},
  }), "C:\\Data\\", rows);
  EXPECT_TRUE(r.ok);
  EXPECT_EQ(r.tot, 9u);
  EXPECT_EQ(r.num, 9u);
  EXPECT_EQ(r.counts, (std::vector<int>{2, 0, 0, 0}));  // the first of two equal names takes all

  // Below a drive root; a 260-character segment is counted for no row.
  std::u16string name259(259, u'z'), name260(260, u'z');
  Bytes b = evreply::reply(3, {{0, evreply::countItem(u"C:\\Data\\x")},
                               {0, evreply::countItem(u"C:\\" + name259 + u"\\x")},
                               {0, evreply::countItem(u"C:\\" + name260 + u"\\x")}});
  EXPECT_EQ(counts(b, "C:\\", {folderRow(u"Data"), folderRow(name259)}).counts,
            (std::vector<int>{1, 1}));
}

// The index must give exactly what walking the rows gives, for any mix of
// names, case variants, duplicates and rows the rule ignores.
TEST(EverythingFileCounts, IndexMatchesTheLinearRule) {
  std::mt19937 rng(12345);
  const char16_t alphabet[] = u"aAbBcC\u00e9\u00c9\u0416\u0436_.";
  auto randomName = [&] {
    std::u16string s;
    for (size_t k = 0, len = 1 + rng() % 4; k < len; ++k) s += alphabet[rng() % 12];
    return s;
  };
  for (int round = 0; round < 30; ++round) {
    std::vector<ScanItem> rows(1 + rng() % 60);
    for (auto& r : rows) {
      r = folderRow(randomName(), rng() % 4 != 0);
      r.isFolder = rng() % 5 != 0;
    }
    std::vector<Item> items;
    for (int i = 0; i < 400; ++i)
      items.push_back({0, evreply::countItem(u"C:\\T\\" + randomName() + u"\\f")});
    SCOPED_TRACE(round);
    counts(evreply::reply(400, items), "C:\\T", rows);
  }
}

// The folder-size lookup gives what the first-match rule over the table gives
// (ignoring case, first of equal names), indexed or, without its slots, not.
TEST(EverythingFolderIndex, FindsTheFirstEntryOfANameIgnoringCase) {
  std::mt19937 rng(777);
  const char16_t alphabet[] = u"aAbBcC\u00e9\u00c9\u0416\u0436_.";
  auto randomName = [&] {
    std::u16string s;
    for (size_t k = 0, len = rng() % 4; k < len; ++k) s += alphabet[rng() % 12];
    return s;
  };
  for (int round = 0; round < 20; ++round) {
    std::vector<FolderSizeEntry> table(rng() % 300);
    for (size_t i = 0; i < table.size(); ++i) {
      textCopy(table[i].name, kNameUnits, randomName().c_str());
      table[i].size = i;
    }
    if (round == 0 && !table.empty()) table[0].name[0] = 0;  // an empty name is a name too
    FolderTableIndex indexed, plain;
    ASSERT_TRUE(folderIndexBuild(&indexed, table.data(), static_cast<int>(table.size())));
    plain = indexed;
    plain.slots = nullptr;  // what a failed slot allocation leaves
    for (int q = 0; q < 200; ++q) {
      std::u16string name = randomName();
      const FolderSizeEntry* want = nullptr;
      for (auto& e : table)
        if (textCompareNoCase(e.name, name.c_str()) == 0) {
          want = &e;
          break;
        }
      EXPECT_EQ(folderIndexFind(&indexed, name.c_str()), want) << round << " " << textToUtf8(name.c_str());
      EXPECT_EQ(folderIndexFind(&plain, name.c_str()), want);
    }
    folderIndexRelease(&indexed);
  }
}
