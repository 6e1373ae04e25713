// The folder-size answer matched to the target's children: 20,000 child
// folders against a full table of 8,192 answers, through the index the scan
// builds once, and (estimated from a slice) the first-match rule walked per
// child as it was done before.
//   bench_folder_lookup [children] [answers]
// Last line: "folder lookup N children: X ms" (index build and every lookup, best of 5).
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <vector>

#include "format/text.h"
#include "scan/everything_codec.h"

namespace {
using Clock = std::chrono::steady_clock;
double msSince(Clock::time_point t0) {
  return std::chrono::duration<double, std::milli>(Clock::now() - t0).count();
}
}  // namespace

int main(int argc, char** argv) {
  int children = argc > 1 ? std::atoi(argv[1]) : 20000;
  int answers = argc > 2 ? std::atoi(argv[2]) : kFolderTableCapacity;
  if (children < 1) children = 1;
  if (answers < 1) answers = 1;
  // Answers: deeper folders share names with children (the table holds names
  // only), in another case; every third child has no answer at all.
  std::vector<FolderSizeEntry> table(static_cast<size_t>(answers));
  for (int i = 0; i < answers; ++i) {
    textFormat(table[i].name, kNameUnits, u"Project Folder %05d", (i * 3) % (children + 7));
    table[i].size = static_cast<uint64_t>(i) + 1;
  }
  std::vector<std::vector<char16_t>> names(static_cast<size_t>(children), std::vector<char16_t>(kNameUnits));
  for (int i = 0; i < children; ++i) textFormat(names[i].data(), kNameUnits, u"project folder %05d", i);

  double best = 1e300;
  uint64_t sum = 0;
  int found = 0;
  for (int round = 0; round < 5; ++round) {
    auto t0 = Clock::now();
    FolderTableIndex index;
    folderIndexBuild(&index, table.data(), answers);
    found = 0;
    for (int i = 0; i < children; ++i) {
      const FolderSizeEntry* e = folderIndexFind(&index, names[i].data());
      if (e) {
        ++found;
        sum += e->size;
      }
    }
    folderIndexRelease(&index);
    double ms = msSince(t0);
    if (ms < best) best = ms;
  }

  int slice = children < 1000 ? children : 1000;
  auto t0 = Clock::now();
  for (int i = 0; i < slice; ++i)
    for (int k = 0; k < answers; ++k)
      if (textCompareNoCase(table[k].name, names[i].data()) == 0) {
        sum += table[k].size;
        break;
      }
  double linear = msSince(t0) * children / slice;

  std::printf("%d children against %d answers: %d found (checksum %llu)\n", children, answers, found,
              static_cast<unsigned long long>(sum % 1000));
  std::printf("first-match rule per child (est. from %d): %.0f ms\n", slice, linear);
  std::printf("folder lookup %d children: %.2f ms\n", children, best);
  return 0;
}
