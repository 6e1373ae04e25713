// In-memory stand-ins for the private-profile reader, the environment, the
// registry, the screen (1920x1080) and the locale, so the configuration rules
// run natively.
#pragma once
#include <algorithm>
#include <cstdint>
#include <cstring>
#include <map>
#include <string>
#include <vector>

#include "config/config_source.h"
#include "config/value_rules.h"
#include "format/text.h"

struct FakeRegistryValue { uint32_t type; std::vector<uint8_t> data; };
// UTF-16 with its terminator, as the registry stores strings.
inline FakeRegistryValue registryString(const std::u16string& s, uint32_t type = kRegSz) {
  const uint8_t* raw = reinterpret_cast<const uint8_t*>(s.c_str());
  return FakeRegistryValue{type, std::vector<uint8_t>(raw, raw + 2 * (s.size() + 1))};
}
inline FakeRegistryValue registryDword(uint32_t v) {
  const uint8_t* raw = reinterpret_cast<const uint8_t*>(&v);
  return FakeRegistryValue{kRegDword, std::vector<uint8_t>(raw, raw + 4)};
}

// The lines of an INI text that mean something: section headers (with an
// empty key) and keys with their values. No test writes blanks around them.
struct IniLine { std::u16string section, key, value; };
inline std::vector<IniLine> iniLines(const std::u16string& text) {
  std::vector<IniLine> lines;
  std::u16string section;
  for (size_t pos = 0, nl; pos <= text.size(); pos = nl + 1) {
    nl = std::min(text.find(u'\n', pos), text.size());
    std::u16string line = text.substr(pos, nl - pos);
    size_t eq = line.find(u'=');
    if (line[0] == u'[') {
      section = line.substr(1, line.find(u']') - 1);
      lines.push_back({section, u"", u""});
    } else if (eq != std::u16string::npos && eq > 0) {
      lines.push_back({section, line.substr(0, eq), line.substr(eq + 1)});
    }
  }
  return lines;
}

// Files hold INI text read with the system reader's rules: section and key
// names match without regard to case, the first of duplicate keys wins, an
// empty present value is the empty text (and the integer default).
struct FakeConfigPlatform : ConfigPlatform {
  std::map<std::u16string, std::u16string> files, env;
  std::map<std::u16string, FakeRegistryValue> registry;  // "subkey|name"
  std::u16string thousands = u",", decimal = u".";
  bool localeWorks = true;

  bool find(const char16_t* path, const char16_t* section, const char16_t* key,
            std::u16string* value) const {
    auto file = files.find(path);
    if (file != files.end())
      for (const IniLine& l : iniLines(file->second))
        if (textCompareNoCase(l.section.c_str(), section) == 0 &&
            textCompareNoCase(l.key.c_str(), key) == 0) {
          *value = l.value;
          return true;
        }
    return false;
  }
  bool readEnvironment(const char16_t* name, char16_t* out, size_t cap) override {
    auto it = env.find(name);
    bool fits = it != env.end() && it->second.size() < cap;
    textCopy(out, cap, fits ? it->second.c_str() : u"");
    return fits;
  }
  bool expandEnvironment(const char16_t* text, char16_t* out, size_t cap) override {
    std::u16string r = text;
    for (const auto& e : env)
      for (size_t at; (at = r.find(u"%" + e.first + u"%")) != std::u16string::npos;)
        r.replace(at, e.first.size() + 2, e.second);
    if (r.size() >= cap) return false;
    textCopy(out, cap, r.c_str());
    return true;
  }
  bool pathExists(const char16_t* path) override { return files.count(path) > 0; }
  bool readUserRegistry(const char16_t* subkey, const char16_t* name, uint32_t* type, void* data,
                        uint32_t* bytes) override {
    auto it = registry.find(std::u16string(subkey) + u"|" + name);
    if (it == registry.end() || it->second.data.size() > *bytes) return false;
    *type = it->second.type;
    *bytes = static_cast<uint32_t>(it->second.data.size());
    if (*bytes) memcpy(data, it->second.data.data(), *bytes);
    return true;
  }
  size_t profileText(const char16_t* file, const char16_t* section, const char16_t* key,
                     const char16_t* def, char16_t* out, size_t cap) override {
    std::u16string v = def ? def : u"";
    find(file, section, key, &v);
    return textCopy(out, cap, v.c_str());
  }
  int32_t profileInt(const char16_t* file, const char16_t* section, const char16_t* key,
                     int32_t def) override {
    std::u16string v;
    return find(file, section, key, &v) && !v.empty() ? parseLeadingInt(v.c_str()) : def;
  }
  size_t profileSectionNames(const char16_t* file, char16_t* out, size_t cap) override {
    size_t n = 0;
    if (files.count(file) == 0 || cap < 2) return 0;
    for (const IniLine& l : iniLines(files[file]))
      if (l.key.empty() && n + l.section.size() + 2 <= cap) {
        memcpy(out + n, l.section.c_str(), 2 * (l.section.size() + 1));
        n += l.section.size() + 1;
      }
    out[n] = 0;
    return n;
  }
  bool screenSize(int32_t* width, int32_t* height) override {
    *width = 1920;
    *height = 1080;
    return true;
  }
  bool localeText(LocaleItem item, char16_t* out, size_t cap) override {
    const std::u16string& text = item == LocaleItem::Thousands ? thousands : decimal;
    if (localeWorks) textCopy(out, cap, text.c_str());
    return localeWorks;
  }
};

constexpr const char16_t* kFakeHostFile = u"C:\\tc\\wincmd.ini";
// A platform whose COMMANDER_INI names kFakeHostFile, holding `ini`.
inline FakeConfigPlatform fakeHost(const std::u16string& ini) {
  FakeConfigPlatform p;
  p.env[u"COMMANDER_INI"] = kFakeHostFile;
  p.files[kFakeHostFile] = ini;
  return p;
}
