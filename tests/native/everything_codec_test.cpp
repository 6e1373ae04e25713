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

Parsed topFiles(const Bytes& b, int capacity = 4) {
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

std::u16string randomName(std::mt19937& rng, size_t minLength) {
  const char16_t alphabet[] = u"aAbBcC\u00e9\u00c9\u0416\u0436_.";
  std::u16string s;
  for (size_t k = 0, len = minLength + rng() % 4; k < len; ++k) s += alphabet[rng() % 12];
  return s;
}

}  // namespace

TEST(EverythingQuery, TextsAndBlocksHaveTheirExactLength) {
  char16_t out[40];
  everythingSearchText(EverythingQuery::TopFiles, u"C:\\Data\\", 7, out, 40);
  EXPECT_EQ(textToUtf8(out), "count:7 file:\"C:\\Data\\\"");
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
}

TEST(EverythingReplies, NamesSizesTotalsCapacityAndLongTexts) {
  Parsed r = folders(evreply::reply(40, {{1, evreply::folderItem(u"alpha", 100)},
                                         {0, evreply::folderItem(u"file.txt", 5)},  // no folder bit
                                         {3, evreply::folderItem(u"Beta", 0)}}));
  EXPECT_TRUE(r.ok);
  EXPECT_EQ(r.tot + r.num, 43u);
  EXPECT_EQ(r.entries, (Strings{"alpha|100", "Beta|0"}));
  // A long name is cut, but the size is read after the whole name.
  std::u16string longName = u"N" + std::u16string(299, u'n');
  EXPECT_EQ(folders(evreply::reply(1, {{1, evreply::folderItem(longName, 77)}})).entries,
            Strings{"N" + std::string(258, 'n') + "|77"});
  std::vector<Item> ten(10, Item{1, evreply::folderItem(u"f", 1)});
  EXPECT_EQ(folders(evreply::reply(10, ten), 4).stored, 4);
  EXPECT_EQ(folders(evreply::reply(10, ten), 0).stored, 0);
  int stored = 5;
  uint32_t tot = 5, num = 5;
  EXPECT_FALSE(everythingParseFolderSizes(nullptr, 100, nullptr, 0, &stored, &tot, &num));
  EXPECT_EQ(stored + tot + num, 0u);

  Bytes b = evreply::reply(2, {{0, evreply::topFileItem(u"big.iso", u"C:\\D\\big.iso", 900)},
                               {7, evreply::topFileItem(u"a.txt", u"C:\\D\\a.txt", 10)}});
  EXPECT_EQ(topFiles(b).entries, (Strings{"big.iso|C:\\D\\big.iso|900", "a.txt|C:\\D\\a.txt|10"}));
  EXPECT_EQ(topFiles(b, 1).stored, 1);
  std::u16string name(400, u'a'), path = u"C:\\" + std::u16string(3000, u'p');
  EXPECT_EQ(topFiles(evreply::reply(1, {{0, evreply::topFileItem(name, path, 5)}})).entries,
            Strings{std::string(259, 'a') + "|C:\\" + std::string(2044, 'p') + "|5"});
}

// One valid item per answer kind, then one field of it crafted: no length,
// offset or count may make a parser read outside the block or take the item.
TEST(EverythingCraftedReply, LengthsOffsetsAndCountsStayInside) {
  using evreply::set32;
  // The only item's table entry holds its data offset at 24; its data starts at 28.
  const struct { const char* field; std::vector<uint32_t> values; void (*craft)(Bytes&, uint32_t); }
      rows[] = {
          {"length", {0x7FFFFFFEu, 0x7FFFFFFFu, 0x80000000u, 0x80000001u, 0xFFFFFFFFu},
           [](Bytes& b, uint32_t v) { set32(b, 28, v); }},
          {"path length", {0x7FFFFFFFu, 0x80000001u, 0xFFFFFFFFu},
           [](Bytes& b, uint32_t v) { set32(b, 28 + 4 + 2 * 300 + 2, v); }},
          {"offset", {0x80000000u, 0xFFFFFFF8u, 0xFFFFFFFCu, 0xFFFFFFFDu, 0xFFFFFFFEu, 0xFFFFFFFFu},
           [](Bytes& b, uint32_t v) { set32(b, 24, v); }},
          {"offset before the end", {3, 0},
           [](Bytes& b, uint32_t v) { set32(b, 24, static_cast<uint32_t>(b.size()) - v); }},
          {"num", {2u, 1000u, 0x7FFFFFFFu, 0x80000000u, 0xFFFFFFFFu},
           [](Bytes& b, uint32_t v) { set32(b, 4, v); }},
          // The item's last byte, or the first table entry's, lies past the block.
          {"cut last byte", {0}, [](Bytes& b, uint32_t) { b.pop_back(); }},
          {"cut entry", {0},
           [](Bytes& b, uint32_t) { b = evreply::replyWithNum(0, 1, {}), b.resize(27); }},
      };
  // Texts longer than what is kept: the kept units always fit, so only the
  // position after the whole text stands between a huge length and a taken item.
  const std::u16string name(300, u'n'), path = u"C:\\" + std::u16string(2100, u'p');
  const Bytes valid[] = {evreply::reply(1, {{1, evreply::folderItem(name, 1)}}),
                         evreply::reply(1, {{0, evreply::topFileItem(name, path, 5)}}),
                         evreply::reply(1, {{0, evreply::countItem(u"C:\\D\\a\\f")}})};
  auto parse = [](int kind, const Bytes& b) {
    if (kind == 0) return folders(b);
    if (kind == 1) return topFiles(b);
    Parsed p = counts(b, "C:\\D", {folderRow(u"a")});
    p.stored = p.ok ? p.counts[0] : 0;
    return p;
  };
  for (int kind = 0; kind < 3; ++kind) {
    ASSERT_EQ(parse(kind, valid[kind]).stored, 1);
    for (const auto& row : rows) {
      const bool num = row.field == std::string("num");
      if (row.field == std::string("path length") && kind != 1) continue;
      for (uint32_t v : row.values) {
        SCOPED_TRACE(testing::Message() << "kind " << kind << " " << row.field << " " << std::hex
                                        << v);
        Bytes b = valid[kind];
        row.craft(b, v);
        Parsed p = parse(kind, b);
        EXPECT_TRUE(p.ok);
        EXPECT_EQ(p.stored, num && static_cast<int32_t>(v) > 0 ? 1 : 0);  // num >= 2^31: none
        if (num && kind != 1) {
          EXPECT_EQ(p.num, v);
        }
      }
    }
    Parsed p = parse(kind, Bytes(19, 0x11));  // shorter than the header
    EXPECT_FALSE(p.ok);
    EXPECT_EQ(p.tot + p.num, 0u);
  }
}

TEST(EverythingFileCounts, CountsFilesInsideChildFoldersOnly) {
  const std::u16string name259(259, u'z');  // the longest name a row holds
  std::vector<ScanItem> rows = {folderRow(u"Docs"), folderRow(u"walked", 0), folderRow(u"docs"),
                                folderRow(u"Pics"), folderRow(name259)};
  rows[3].isFolder = 0;  // a file row never counts
  Parsed r = counts(evreply::reply(11, {
      {0, evreply::countItem(u"C:\\Data\\docs\\a.txt")},
      {0, evreply::countItem(u"c:\\data\\DOCS\\deep\\b.txt")},  // case ignored everywhere
      {0, evreply::countItem(u"C:\\Data\\top.txt")},            // directly in the target
      {0, evreply::countItem(u"C:\\Data\\walked\\c.txt")},      // not sized by the engine
      {0, evreply::countItem(u"C:\\Database\\docs\\d.txt")},    // only a prefix of the target
      {0, evreply::countItem(u"C:\\Data\\Pics\\e.jpg")},
      {0, evreply::countItem(u"C:\\Data\\\\f.txt")},            // empty child name
      {0, evreply::countItem(u"C:\\Data")},
      {0, evreply::countItem(u"D:\\Data\\docs\\g.txt")},
      {0, evreply::countItem(u"C:\\Data\\" + name259 + u"\\h.txt")},
      {0, evreply::countItem(u"C:\\Data\\" + name259 + u"z\\i.txt")},  // 260 units: no row's
  }), "C:\\Data\\", rows);
  EXPECT_TRUE(r.ok);
  EXPECT_EQ(r.tot + r.num, 22u);
  EXPECT_EQ(r.counts, (std::vector<int>{2, 0, 0, 0, 1}));  // the first of two equal names takes all
}

// The indexes must give exactly what the first-match rule over the rows or the
// table gives, for any mix of names, case variants, duplicates and ignored rows.
TEST(EverythingIndexes, MatchTheFirstMatchRuleIgnoringCase) {
  std::mt19937 rng(12345);
  for (int round = 0; round < 30; ++round) {
    SCOPED_TRACE(round);
    std::vector<ScanItem> rows(1 + rng() % 60);
    for (auto& r : rows) {
      r = folderRow(randomName(rng, 1), rng() % 4 != 0);
      r.isFolder = rng() % 5 != 0;
    }
    std::vector<Item> items;
    for (int i = 0; i < 400; ++i)
      items.push_back({0, evreply::countItem(u"C:\\T\\" + randomName(rng, 1) + u"\\f")});
    counts(evreply::reply(400, items), "C:\\T", rows);

    // One entry more than the index holds: it must never be found.
    std::vector<FolderSizeEntry> table(1 + rng() % 300);
    const int count = static_cast<int>(table.size()) - 1;
    for (auto& e : table) textCopy(e.name, kNameUnits, randomName(rng, 0).c_str());  // "" too
    FolderTableIndex indexed, plain;
    ASSERT_TRUE(folderIndexBuild(&indexed, table.data(), count));
    plain = indexed;
    plain.slots = nullptr;  // what a failed slot allocation leaves
    for (int q = 0; q < 200; ++q) {
      std::u16string name = q ? randomName(rng, 0) : std::u16string(table.back().name);
      const FolderSizeEntry* want = nullptr;
      for (int i = 0; i < count && !want; ++i)
        if (textCompareNoCase(table[i].name, name.c_str()) == 0) want = &table[i];
      EXPECT_EQ(folderIndexFind(&indexed, name.c_str()), want) << textToUtf8(name.c_str());
      EXPECT_EQ(folderIndexFind(&plain, name.c_str()), want);
    }
    folderIndexRelease(&indexed);
  }
}
