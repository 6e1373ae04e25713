// Building, ordering and filtering the shown rows: every comparator rule in
// both directions and the filter.
#include <gtest/gtest.h>

#include <cstdlib>
#include <string>
#include <vector>

#include "format/text.h"
#include "format/visible_rows.h"

namespace {

ScanItem file(const char16_t* name, uint64_t size) {
  ScanItem it{};
  textCopy(it.name, kNameUnits, name);
  it.size = size;
  return it;
}
ScanItem folder(const char16_t* name, uint64_t size, int32_t count, uint32_t link = 0, uint32_t denied = 0) {
  ScanItem it = file(name, size);
  it.isFolder = 1;
  it.fileCount = count;
  it.isLink = link;
  it.accessDenied = denied;
  return it;
}

struct Rows : ::testing::Test {
  ScanModel m{};
  std::vector<ScanItem> items;
  void TearDown() override { releaseScanModel(m); }
  void load(std::vector<ScanItem> v) {
    releaseScanModel(m);
    items = std::move(v);
    m.rows = static_cast<ScanItem*>(std::malloc(sizeof(ScanItem) * (items.size() + 1)));
    for (size_t i = 0; i < items.size(); ++i) m.rows[i] = items[i];
    m.rowCount = m.rowCapacity = static_cast<int32_t>(items.size());
    buildVisibleRows(m, false);
  }
  std::vector<std::u16string> order(int column, uint32_t descending) {
    buildVisibleRows(m, false);
    sortVisibleRows(m, column, descending, 1);
    std::vector<std::u16string> out;
    for (int i = 0; i < m.visibleCount; ++i) out.push_back(m.visibleRows[i]->name);
    return out;
  }
};

using Names = std::vector<std::u16string>;

TEST_F(Rows, ExtensionGroupsFilesThenFoldersLargestFirstInBothDirections) {
  load({folder(u"small", 5, 1), file(u"b.txt", 10), file(u"a.doc", 1), folder(u"big", 50, 1),
        file(u"c.txt", 30), file(u"noext", 7), folder(u"alpha", 5, 1)});
  EXPECT_EQ(order(kSortExtension, 0),
            (Names{u"noext", u"a.doc", u"c.txt", u"b.txt", u"big", u"alpha", u"small"}));
  EXPECT_EQ(order(kSortExtension, 1),
            (Names{u"c.txt", u"b.txt", u"a.doc", u"noext", u"big", u"alpha", u"small"}));
}

TEST_F(Rows, NameSortsMixedThenLargerFirst) {
  load({file(u"b", 1), folder(u"A", 2, 0), file(u"a", 9), file(u"C", 3)});
  EXPECT_EQ(order(kSortName, 0), (Names{u"a", u"A", u"b", u"C"}));
  EXPECT_EQ(order(kSortName, 1), (Names{u"C", u"b", u"a", u"A"}));  // ties stay larger first
}

TEST_F(Rows, FileCountClassesStayFixedAndCountsTurn) {
  load({file(u"f1", 100), folder(u"ten", 1, 10), folder(u"denied", 900, 0, 0, 1), folder(u"three", 5, 3),
        folder(u"unknownSmall", 2, -1), folder(u"link", 0, 0, 1), folder(u"unknownBig", 8, -1),
        file(u"f2", 300), folder(u"threeBig", 50, 3)});
  EXPECT_EQ(order(kSortFileCount, 1), (Names{u"ten", u"threeBig", u"three", u"unknownBig", u"unknownSmall",
                                             u"link", u"denied", u"f2", u"f1"}));
  EXPECT_EQ(order(kSortFileCount, 0), (Names{u"threeBig", u"three", u"ten", u"unknownBig", u"unknownSmall",
                                             u"link", u"denied", u"f1", u"f2"}));
  // Files of one size: by name ascending either way.
  load({file(u"b", 5), file(u"a", 5)});
  EXPECT_EQ(order(kSortFileCount, 1), (Names{u"a", u"b"}));
  EXPECT_EQ(order(kSortFileCount, 0), (Names{u"a", u"b"}));
}

TEST_F(Rows, SizeAndPercentAndUnknownColumnsSortAlike) {
  load({file(u"b", 5), folder(u"a", 5, 1), file(u"c", 50), file(u"d", 1)});
  Names desc{u"c", u"a", u"b", u"d"};
  EXPECT_EQ(order(kSortSize, 1), desc);
  EXPECT_EQ(order(kSortPercent, 1), desc);
  EXPECT_EQ(order(99, 1), desc);
  EXPECT_EQ(order(kSortSize, 0), (Names{u"d", u"a", u"b", u"c"}));
  EXPECT_EQ(sortSign, -1 * -1);  // set from the direction of the last sort
}

TEST_F(Rows, WithoutHeadersTheBuiltOrderStaysButMaxIsComputed) {
  load({file(u"x", 1), file(u"y", 9), file(u"z", 4)});
  sortVisibleRows(m, kSortName, 1, 0);
  EXPECT_TRUE(textEquals(m.visibleRows[0]->name, u"x"));
  EXPECT_EQ(m.maxVisibleSize, 9u);
  m.visibleCount = 0;
  sortVisibleRows(m, kSortSize, 1, 1);
  EXPECT_EQ(m.maxVisibleSize, 0u);
}

TEST_F(Rows, FilterMatchesNamesOnlyIgnoringCaseAndRebuildRestores) {
  ScanItem withPath = file(u"report.pdf", 70);
  textCopy(withPath.fullPath, kPathUnits, u"C:\\docs\\report.pdf");
  load({file(u"MyDocs", 10), file(u"doc.txt", 20), withPath, file(u"", 5), file(u"DoC", 30)});
  sortVisibleRows(m, kSortSize, 1, 1);
  applySearchFilter(m, u"DOC");
  Names kept;
  for (int i = 0; i < m.visibleCount; ++i) kept.push_back(m.visibleRows[i]->name);
  EXPECT_EQ(kept, (Names{u"DoC", u"doc.txt", u"MyDocs"}));
  EXPECT_EQ(m.maxVisibleSize, 30u);
  // Each step narrows what is shown now; an empty text changes nothing; only a rebuild restores.
  const struct {
    bool rebuild;
    const char16_t* text;
    int shown;
  } steps[] = {{false, u"zzz", 0}, {false, u"doc", 0}, {false, u"", 0}, {true, u"", 5}, {false, u"docs", 1}};
  for (const auto& st : steps) {
    if (st.rebuild) buildVisibleRows(m, false);
    applySearchFilter(m, st.text);
    EXPECT_EQ(m.visibleCount, st.shown) << textToUtf8(st.text) << (st.rebuild ? " after a rebuild" : "");
    if (st.shown == 0) {
      EXPECT_EQ(m.maxVisibleSize, 0u);
    }
  }
}

}  // namespace
