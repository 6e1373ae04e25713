// The scan's own texts for the panel: the live "Discovered so far" line and the
// summary once the scan is over. Separators and the size unit come from the
// panel's number settings.
#pragma once
#include <cstddef>
#include <cstdint>

// "Discovered so far: %s %s, %s %s..." (file/files, folder/folders).
size_t formatDiscoveredLine(char16_t thousands, uint32_t files, uint32_t folders, char16_t* buf,
                            size_t cap);
// "%s  •  %s %s  •  %s %s": total size, files, folders (singular for exactly 1).
size_t formatScanSummary(char16_t thousands, char16_t decimal, int32_t sizeDisplay, uint64_t totalSize,
                         uint32_t files, uint32_t folders, char16_t* buf, size_t cap);
