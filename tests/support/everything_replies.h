// Builds Everything answer blocks the way the engine lays them out: the 20-byte
// header, one 8-byte entry (flags, data offset) per item, then the item data.
// Header-only so the fake engine, the fuzz seeds and the benchmark can use it.
#pragma once
#include <cstdint>
#include <cstring>
#include <string>
#include <vector>

namespace evreply {

using Bytes = std::vector<uint8_t>;

template <class T>
inline void put(Bytes& b, T v) {
  const uint8_t* raw = reinterpret_cast<const uint8_t*>(&v);
  b.insert(b.end(), raw, raw + sizeof v);
}
inline void put32(Bytes& b, uint32_t v) { put(b, v); }
inline void set32(Bytes& b, size_t at, uint32_t v) { std::memcpy(b.data() + at, &v, 4); }

// Length-prefixed text with its terminator.
inline void putText(Bytes& b, const std::u16string& s) {
  put32(b, static_cast<uint32_t>(s.size()));
  const uint8_t* raw = reinterpret_cast<const uint8_t*>(s.c_str());
  b.insert(b.end(), raw, raw + 2 * (s.size() + 1));
}

inline Bytes folderItem(const std::u16string& name, uint64_t size) {
  Bytes b;
  putText(b, name);
  put<uint64_t>(b, size);
  return b;
}
inline Bytes topFileItem(const std::u16string& name, const std::u16string& path, uint64_t size) {
  Bytes b;
  putText(b, name);
  putText(b, path);
  put<uint64_t>(b, size);
  return b;
}
inline Bytes countItem(const std::u16string& path) {
  Bytes b;
  putText(b, path);
  return b;
}

struct Item {
  uint32_t flags;
  Bytes data;
};

// num is written as given (it may disagree with the items on purpose).
inline Bytes replyWithNum(uint32_t tot, uint32_t num, const std::vector<Item>& items) {
  Bytes b;
  put32(b, tot);
  put32(b, num);
  const size_t tableAt = 20;
  b.resize(tableAt + 8 * items.size());
  for (size_t i = 0; i < items.size(); ++i) {
    set32(b, tableAt + 8 * i, items[i].flags);
    set32(b, tableAt + 8 * i + 4, static_cast<uint32_t>(b.size()));
    b.insert(b.end(), items[i].data.begin(), items[i].data.end());
  }
  return b;
}
inline Bytes reply(uint32_t tot, const std::vector<Item>& items) {
  return replyWithNum(tot, static_cast<uint32_t>(items.size()), items);
}

// Offset of item i's table entry (flags at +0, data offset at +4).
inline size_t entryAt(size_t i) { return 20 + 8 * i; }
inline uint32_t dataOffset(const Bytes& b, size_t i) {
  uint32_t v;
  std::memcpy(&v, b.data() + entryAt(i) + 4, 4);
  return v;
}

}  // namespace evreply
