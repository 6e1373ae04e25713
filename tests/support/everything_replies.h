// Builds Everything answer blocks the way the engine lays them out: the 20-byte
// header, one 8-byte entry (flags, data offset) per item, then the item data.
// Header-only so the fake engine, the fuzz seeds and the benchmark can use it.
#pragma once
#include <cstdint>
#include <cstring>
#include <initializer_list>
#include <string>
#include <vector>

namespace evreply {

using Bytes = std::vector<uint8_t>;

inline void putRaw(Bytes& b, const void* p, size_t n) {
  b.insert(b.end(), static_cast<const uint8_t*>(p), static_cast<const uint8_t*>(p) + n);
}
inline void put32(Bytes& b, uint32_t v) { putRaw(b, &v, 4); }
inline void set32(Bytes& b, size_t at, uint32_t v) { std::memcpy(b.data() + at, &v, 4); }

// Length-prefixed texts, each with its terminator.
inline Bytes texts(std::initializer_list<std::u16string> list) {
  Bytes b;
  for (const std::u16string& s : list) {
    put32(b, static_cast<uint32_t>(s.size()));
    putRaw(b, s.c_str(), 2 * (s.size() + 1));
  }
  return b;
}
// Then a 64-bit size.
inline Bytes withSize(Bytes b, uint64_t size) {
  putRaw(b, &size, 8);
  return b;
}
inline Bytes folderItem(const std::u16string& name, uint64_t size) {
  return withSize(texts({name}), size);
}
inline Bytes topFileItem(const std::u16string& name, const std::u16string& path, uint64_t size) {
  return withSize(texts({name, path}), size);
}
inline Bytes countItem(const std::u16string& path) { return texts({path}); }

struct Item { uint32_t flags; Bytes data; };

// Offset of item i's table entry (flags at +0, data offset at +4).
inline size_t entryAt(size_t i) { return 20 + 8 * i; }

// num is written as given (it may disagree with the items on purpose).
inline Bytes replyWithNum(uint32_t tot, uint32_t num, const std::vector<Item>& items) {
  Bytes b;
  put32(b, tot);
  put32(b, num);
  b.resize(entryAt(items.size()));
  for (size_t i = 0; i < items.size(); ++i) {
    set32(b, entryAt(i), items[i].flags);
    set32(b, entryAt(i) + 4, static_cast<uint32_t>(b.size()));
    b.insert(b.end(), items[i].data.begin(), items[i].data.end());
  }
  return b;
}
inline Bytes reply(uint32_t tot, const std::vector<Item>& items) {
  return replyWithNum(tot, static_cast<uint32_t>(items.size()), items);
}

}  // namespace evreply
