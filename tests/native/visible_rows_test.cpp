// Building, ordering and filtering the shown rows: every comparator rule in
// both directions and the filter.
#include <gtest/gtest.h>

#include <cstdlib>
#include <string>
#include <vector>

#include "format/text.h"
#include "format/visible_rows.h"

namespace {

// A file, or a folder of `count` files (-1 unknown); -2 is a link, -3 a folder
// whose access was denied.
ScanItem it(const char16_t* name, uint64_t size, int32_t count = -9) {
  ScanItem i{};
  textCopy(i.name, kNameUnits, name);
  i.size = size, i.isFolder = count > -9, i.fileCount = count < -1 ? 0 : count;
  i.isLink = count == -2, i.accessDenied = count == -3;
  return i;
}

struct Rows {
  ScanModel m{};
  explicit Rows(const std::vector<ScanItem>& v) {
    m.rows = static_cast<ScanItem*>(std::malloc(sizeof(ScanItem) * (v.size() + 1)));
    for (size_t i = 0; i < v.size(); ++i) m.rows[i] = v[i];
    m.rowCount = m.rowCapacity = static_cast<int32_t>(v.size());
    buildVisibleRows(m, false);
  }
  ~Rows() { releaseScanModel(m); }
  std::string shown() const {
    std::string out;
    for (int i = 0; i < m.visibleCount; ++i) out += (i ? " " : "") + textToUtf8(m.visibleRows[i]->name);
    return out + " max " + std::to_string(m.maxVisibleSize);
  }
};

}  // namespace

TEST(Rows, EveryColumnSortsBothWays) {
  const std::vector<ScanItem> mixed = {it(u"small", 5, 1), it(u"b.txt", 10), it(u"a.doc", 1), it(u"big", 50, 1),
                                       it(u"c.txt", 30), it(u"noext", 7), it(u"alpha", 5, 1)};
  const std::vector<ScanItem> counts = {it(u"f1", 100), it(u"ten", 1, 10), it(u"denied", 900, -3), it(u"three", 5, 3),
                                        it(u"unknownSmall", 2, -1), it(u"link", 0, -2), it(u"unknownBig", 8, -1),
                                        it(u"f2", 300), it(u"threeBig", 50, 3)};
  const struct { std::vector<ScanItem> items; int column; uint32_t descending; const char* want; } cases[] = {
      // Extensions group files, then folders, larger first within a group.
      {mixed, kSortExtension, 0, "noext a.doc c.txt b.txt big alpha small max 50"},
      // Names mix files and folders; equal names keep the larger first.
      {{it(u"b", 1), it(u"A", 2, 0), it(u"a", 9), it(u"C", 3)}, kSortName, 1, "C b a A max 9"},
      // Folders of known count, unknown, links, denied, then files: the classes stay, the counts turn.
      {counts, kSortFileCount, 0, "threeBig three ten unknownBig unknownSmall link denied f1 f2 max 900"},
      {counts, kSortFileCount, 1, "ten threeBig three unknownBig unknownSmall link denied f2 f1 max 900"},
      // An unknown column sorts by size, like the size and percent columns.
      {{it(u"b", 5), it(u"a", 5, 1), it(u"c", 50), it(u"d", 1)}, 99, 0, "d a b c max 50"},
  };
  for (const auto& k : cases) {
    Rows r(k.items);
    sortVisibleRows(r.m, k.column, k.descending, 1);
    EXPECT_EQ(r.shown(), k.want) << k.column << " " << k.descending;
  }
  // Without headers the built order stays, but the largest is still found.
  Rows r({it(u"x", 1), it(u"y", 9), it(u"z", 4)});
  sortVisibleRows(r.m, kSortName, 1, 0);
  EXPECT_EQ(r.shown(), "x y z max 9");
  r.m.visibleCount = 0;
  sortVisibleRows(r.m, kSortSize, 1, 1);
  EXPECT_EQ(r.shown(), " max 0");
}

TEST(Rows, FilterMatchesNamesOnlyIgnoringCaseAndRebuildRestores) {
  Rows r({it(u"MyDocs", 10), it(u"doc.txt", 20), it(u"report.pdf", 70), it(u"", 5), it(u"DoC", 30)});
  textCopy(r.m.rows[2].fullPath, kPathUnits, u"C:\\docs\\report.pdf");
  sortVisibleRows(r.m, kSortSize, 1, 1);
  // Each step narrows what is shown now; an empty text changes nothing; only a rebuild restores
  // (the largest is found again by the sort that follows a rebuild).
  const struct { bool rebuild; const char16_t* text; const char* want; } steps[] = {
      {false, u"DOC", "DoC doc.txt MyDocs max 30"}, {false, u"zzz", " max 0"},
      {true, u"", "MyDocs doc.txt report.pdf  DoC max 0"}, {false, u"docs", "MyDocs max 10"}};
  for (const auto& st : steps) {
    if (st.rebuild) buildVisibleRows(r.m, false);
    applySearchFilter(r.m, st.text);
    EXPECT_EQ(r.shown(), st.want) << textToUtf8(st.text) << (st.rebuild ? " after a rebuild" : "");
  }
}

TEST(Rows, TopFilesModeShowsTheKeptFilesUpToTheLimit) {
  const struct { int32_t kept, limit; const char* want; } rows[] = {
      {3, 50, "f0 f1 f2 max 0"}, {3, 2, "f0 f1 max 0"}, {3, 0, " max 0"}, {3, -3, " max 0"}, {0, 50, " max 0"}};
  for (const auto& r : rows) {
    Rows t({it(u"folder", 99, 1)});
    t.m.fileList = static_cast<ScanItem*>(std::malloc(sizeof(ScanItem) * 3));
    for (int i = 0; i < 3; ++i) t.m.fileList[i] = it(i == 0 ? u"f0" : i == 1 ? u"f1" : u"f2", 10 - i);
    t.m.fileListCount = r.kept, t.m.fileListCapacity = 3, t.m.maxTopFiles = r.limit;
    buildVisibleRows(t.m, true);
    EXPECT_EQ(t.shown(), r.want) << r.kept << " kept, limit " << r.limit;
  }
}
