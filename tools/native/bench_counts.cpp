// How the file-count answer scales: a 5,000,000-path answer against 1,000
// child rows, parsed the way the reply procedure does (index built once per
// query), compared with one plain pass over the same block.
//   bench_counts [paths] [rows]
// Last line: "counts/pass ratio: X.XX" (parse time / plain-pass time, best of 3).
#include <chrono>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "format/text.h"
#include "scan/everything_codec.h"

namespace {

using Clock = std::chrono::steady_clock;

double msSince(Clock::time_point t0) {
  return std::chrono::duration<double, std::milli>(Clock::now() - t0).count();
}

void put32(std::vector<uint8_t>& b, size_t at, uint32_t v) { std::memcpy(b.data() + at, &v, 4); }

// The answer block, laid out as the engine does: header, item table, item data.
std::vector<uint8_t> buildAnswer(uint32_t paths, int rows) {
  std::vector<uint8_t> b;
  b.reserve(static_cast<size_t>(paths) * 110);
  b.resize(20 + 8 * static_cast<size_t>(paths));
  put32(b, 0, paths);
  put32(b, 4, paths);
  char16_t path[160];
  for (uint32_t i = 0; i < paths; ++i) {
    // Mostly files inside a child folder (some spelled in another case), a few
    // directly in the target and a few in folders without a row.
    uint32_t child = (i * 2654435761u) % (rows + 8);
    size_t n;
    if (i % 97 == 0)
      n = textFormat(path, 160, u"C:\\Users\\Example\\Data\\file%07u.dat", i);
    else if (child % 5 == 1)
      n = textFormat(path, 160, u"C:\\Users\\Example\\Data\\FOLDER%04u\\sub%02u\\file%07u.dat", child,
                     i % 13, i);
    else
      n = textFormat(path, 160, u"C:\\Users\\Example\\Data\\folder%04u\\sub%02u\\file%07u.dat", child,
                     i % 13, i);
    put32(b, 20 + 8 * static_cast<size_t>(i), 0);
    put32(b, 24 + 8 * static_cast<size_t>(i), static_cast<uint32_t>(b.size()));
    size_t at = b.size();
    b.resize(at + 4 + 2 * (n + 1));
    put32(b, at, static_cast<uint32_t>(n));
    std::memcpy(b.data() + at + 4, path, 2 * (n + 1));
  }
  return b;
}

// One plain pass: visit every item and read every unit of its path.
uint64_t plainPass(const std::vector<uint8_t>& b) {
  uint32_t num;
  std::memcpy(&num, b.data() + 4, 4);
  uint64_t sum = 0;
  for (uint32_t i = 0; i < num; ++i) {
    uint32_t d, p;
    std::memcpy(&d, b.data() + 24 + 8 * static_cast<size_t>(i), 4);
    std::memcpy(&p, b.data() + d, 4);
    const uint8_t* text = b.data() + d + 4;
    for (uint32_t k = 0; k < p; ++k) {
      char16_t c;
      std::memcpy(&c, text + 2 * k, 2);
      sum += c;
    }
  }
  return sum;
}

}  // namespace

int main(int argc, char** argv) {
  uint32_t paths = argc > 1 ? static_cast<uint32_t>(std::strtoul(argv[1], nullptr, 10)) : 5000000;
  int rowCount = argc > 2 ? std::atoi(argv[2]) : 1000;
  if (rowCount < 1) rowCount = 1;
  std::printf("building a %u-path answer against %d rows...\n", paths, rowCount);
  std::vector<uint8_t> block = buildAnswer(paths, rowCount);
  std::printf("block: %.1f MB\n", block.size() / 1048576.0);

  std::vector<ScanItem> rows(rowCount);
  for (int i = 0; i < rowCount; ++i) {
    std::memset(&rows[i], 0, sizeof(ScanItem));
    textFormat(rows[i].name, kNameUnits, u"Folder%04u", i);
    rows[i].isFolder = 1;
    rows[i].fromEverything = i % 10 != 9;  // some rows were walked: never counted
  }
  const char16_t* target = u"C:\\Users\\Example\\Data\\";

  double bestPass = 1e300, bestParse = 1e300;
  uint64_t sink = 0;
  int64_t counted = 0;
  for (int round = 0; round < 3; ++round) {
    auto t0 = Clock::now();
    sink += plainPass(block);
    double pass = msSince(t0);
    if (pass < bestPass) bestPass = pass;

    for (auto& r : rows) r.fileCount = 0;
    t0 = Clock::now();
    ChildNameIndex index;
    childIndexBuild(&index, rows.data(), rowCount);
    FileCountTarget ft{target, everythingTrimmedLength(target), rows.data(), rowCount,
                       kFileCountMaxResults, &index};
    uint32_t tot, num;
    everythingParseFileCounts(block.data(), block.size(), ft, &tot, &num);
    childIndexRelease(&index);
    double parse = msSince(t0);
    if (parse < bestParse) bestParse = parse;
    counted = 0;
    for (auto& r : rows) counted += r.fileCount;
    std::printf("round %d: plain pass %.1f ms, counts parse %.1f ms\n", round + 1, pass, parse);
  }

  // The row-by-row rule on a slice of the answer, scaled up, for comparison.
  uint32_t slice = paths < 50000 ? paths : 50000;
  std::vector<uint8_t> small = block;
  put32(small, 4, slice);
  for (auto& r : rows) r.fileCount = 0;
  auto t0 = Clock::now();
  FileCountTarget linear{target, everythingTrimmedLength(target), rows.data(), rowCount,
                         kFileCountMaxResults, nullptr};
  uint32_t tot, num;
  everythingParseFileCounts(small.data(), small.size(), linear, &tot, &num);
  double linearMs = msSince(t0) * (static_cast<double>(paths) / (slice ? slice : 1));

  std::printf("files counted into rows: %lld of %u paths (checksum %llu)\n",
              static_cast<long long>(counted), paths, static_cast<unsigned long long>(sink % 1000));
  std::printf("plain pass: %.1f ms; counts parse (indexed): %.1f ms; row-by-row rule (est.): %.0f ms\n",
              bestPass, bestParse, linearMs);
  std::printf("counts/pass ratio: %.2f\n", bestParse / bestPass);
  return 0;
}
