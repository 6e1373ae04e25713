#include "tests/support/config_fakes.h"

#include <cstring>

#include "config/value_rules.h"
#include "format/text.h"

namespace {

std::u16string trim(const std::u16string& s) {
  size_t a = s.find_first_not_of(u" \t\r"), b = s.find_last_not_of(u" \t\r");
  return a == std::u16string::npos ? u"" : s.substr(a, b - a + 1);
}

struct IniLine {
  std::u16string section, key, value;
  bool isSection;
};

// The lines of an INI text that mean something: section headers and keys.
std::vector<IniLine> iniLines(const std::u16string& text) {
  std::vector<IniLine> lines;
  std::u16string section;
  for (size_t pos = 0; pos <= text.size();) {
    size_t nl = text.find(u'\n', pos);
    if (nl == std::u16string::npos) nl = text.size();
    std::u16string line = trim(text.substr(pos, nl - pos));
    pos = nl + 1;
    size_t end = line.find(u']'), eq = line.find(u'=');
    if (!line.empty() && line[0] == u'[' && end != std::u16string::npos) {
      section = trim(line.substr(1, end - 1));
      lines.push_back({section, u"", u"", true});
    } else if (!line.empty() && line[0] != u';' && eq != std::u16string::npos) {
      lines.push_back({section, trim(line.substr(0, eq)), trim(line.substr(eq + 1)), false});
    }
  }
  return lines;
}

bool findValue(const std::map<std::u16string, std::u16string>& files, const char16_t* path,
               const char16_t* section, const char16_t* key, std::u16string* value) {
  auto file = files.find(path);
  if (file == files.end()) return false;
  for (const IniLine& l : iniLines(file->second))
    if (!l.isSection && textCompareNoCase(l.section.c_str(), section) == 0 &&
        textCompareNoCase(l.key.c_str(), key) == 0) {
      *value = l.value;
      return true;
    }
  return false;
}

}  // namespace

FakeRegistryValue registryString(const std::u16string& s, uint32_t type) {
  const uint8_t* raw = reinterpret_cast<const uint8_t*>(s.c_str());
  return FakeRegistryValue{type, std::vector<uint8_t>(raw, raw + 2 * (s.size() + 1))};
}

FakeRegistryValue registryDword(uint32_t v) {
  const uint8_t* raw = reinterpret_cast<const uint8_t*>(&v);
  return FakeRegistryValue{kRegDword, std::vector<uint8_t>(raw, raw + 4)};
}

bool FakeConfigPlatform::readEnvironment(const char16_t* name, char16_t* out, size_t cap) {
  auto it = env.find(name);
  if (cap) out[0] = 0;
  if (it == env.end() || it->second.size() >= cap) return false;
  textCopy(out, cap, it->second.c_str());
  return true;
}

bool FakeConfigPlatform::expandEnvironment(const char16_t* text, char16_t* out, size_t cap) {
  std::u16string r = text;
  for (const auto& e : env)
    for (size_t at; (at = r.find(u"%" + e.first + u"%")) != std::u16string::npos;)
      r.replace(at, e.first.size() + 2, e.second);
  if (r.size() >= cap) return false;
  textCopy(out, cap, r.c_str());
  return true;
}

bool FakeConfigPlatform::readUserRegistry(const char16_t* subkey, const char16_t* name,
                                          uint32_t* type, void* data, uint32_t* bytes) {
  auto it = registry.find(std::u16string(subkey) + u"|" + name);
  if (it == registry.end() || it->second.data.size() > *bytes) return false;
  *type = it->second.type;
  *bytes = static_cast<uint32_t>(it->second.data.size());
  if (*bytes) memcpy(data, it->second.data.data(), *bytes);
  return true;
}

size_t FakeConfigPlatform::profileText(const char16_t* path, const char16_t* section,
                                       const char16_t* key, const char16_t* def, char16_t* out,
                                       size_t cap) {
  std::u16string v = def ? def : u"";
  findValue(files, path, section, key, &v);
  return textCopy(out, cap, v.c_str());
}

int32_t FakeConfigPlatform::profileInt(const char16_t* path, const char16_t* section,
                                       const char16_t* key, int32_t def) {
  std::u16string v;
  // As the system reader does, an empty value reads as the default.
  return findValue(files, path, section, key, &v) && !v.empty() ? parseLeadingInt(v.c_str()) : def;
}

size_t FakeConfigPlatform::profileSectionNames(const char16_t* path, char16_t* out, size_t cap) {
  auto file = files.find(path);
  if (file == files.end() || cap < 2) return 0;
  size_t n = 0;
  for (const IniLine& l : iniLines(file->second)) {
    if (!l.isSection || n + l.section.size() + 2 > cap) continue;
    memcpy(out + n, l.section.c_str(), 2 * (l.section.size() + 1));
    n += l.section.size() + 1;
  }
  out[n] = 0;
  return n;
}

bool FakeConfigPlatform::localeText(LocaleItem item, char16_t* out, size_t cap) {
  if (localeWorks) textCopy(out, cap, (item == LocaleItem::Thousands ? thousands : decimal).c_str());
  return localeWorks;
}

FakeConfigPlatform fakeHost(const std::u16string& ini) {
  FakeConfigPlatform p;
  p.env[u"COMMANDER_INI"] = kFakeHostFile;
  p.files[kFakeHostFile] = ini;
  return p;
}
