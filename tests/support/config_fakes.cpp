#include "tests/support/config_fakes.h"

#include <cstring>

#include "config/value_rules.h"
#include "format/text.h"

std::u16string foldText(const std::u16string& s) {
  std::u16string r = s;
  for (auto& c : r) c = textFoldCase(c);
  return r;
}

namespace {

std::u16string trim(const std::u16string& s) {
  size_t a = 0, b = s.size();
  while (a < b && (s[a] == u' ' || s[a] == u'\t' || s[a] == u'\r')) ++a;
  while (b > a && (s[b - 1] == u' ' || s[b - 1] == u'\t' || s[b - 1] == u'\r')) --b;
  return s.substr(a, b - a);
}

template <typename F>
void eachLine(const std::u16string& text, F f) {
  size_t pos = 0;
  while (pos <= text.size()) {
    size_t nl = text.find(u'\n', pos);
    if (nl == std::u16string::npos) nl = text.size();
    f(trim(text.substr(pos, nl - pos)));
    pos = nl + 1;
  }
}

}  // namespace

bool IniText::find(const char16_t* section, const char16_t* key, std::u16string* value) const {
  std::u16string want = foldText(section), wantKey = foldText(key);
  bool inSection = false, found = false;
  eachLine(text, [&](const std::u16string& line) {
    if (found || line.empty() || line[0] == u';') return;
    if (line[0] == u'[') {
      size_t end = line.find(u']');
      inSection = end != std::u16string::npos && foldText(trim(line.substr(1, end - 1))) == want;
      return;
    }
    size_t eq = line.find(u'=');
    if (!inSection || eq == std::u16string::npos) return;
    if (foldText(trim(line.substr(0, eq))) == wantKey) {
      *value = trim(line.substr(eq + 1));
      found = true;
    }
  });
  return found;
}

std::vector<std::u16string> IniText::sectionNames() const {
  std::vector<std::u16string> names;
  eachLine(text, [&](const std::u16string& line) {
    if (!line.empty() && line[0] == u'[') {
      size_t end = line.find(u']');
      if (end != std::u16string::npos) names.push_back(trim(line.substr(1, end - 1)));
    }
  });
  return names;
}

FakeRegistryValue registryString(const std::u16string& s, uint32_t type) {
  FakeRegistryValue v{type, {}};
  for (char16_t c : s) {
    v.data.push_back(static_cast<uint8_t>(c & 0xFF));
    v.data.push_back(static_cast<uint8_t>(c >> 8));
  }
  v.data.push_back(0);
  v.data.push_back(0);
  return v;
}

FakeRegistryValue registryDword(uint32_t x) {
  return FakeRegistryValue{kRegDword,
                           {static_cast<uint8_t>(x), static_cast<uint8_t>(x >> 8),
                            static_cast<uint8_t>(x >> 16), static_cast<uint8_t>(x >> 24)}};
}

void FakeConfigPlatform::setFile(const std::u16string& path, const std::u16string& text) {
  files[foldText(path)].text = text;
}
void FakeConfigPlatform::setEnv(const std::u16string& name, const std::u16string& value) {
  env[foldText(name)] = value;
}
void FakeConfigPlatform::setRegistry(const std::u16string& subkey, const std::u16string& name,
                                     FakeRegistryValue v) {
  registry[foldText(subkey + u"|" + name)] = std::move(v);
}

const IniText* FakeConfigPlatform::file(const char16_t* path) const {
  auto it = files.find(foldText(path));
  return it == files.end() ? nullptr : &it->second;
}

bool FakeConfigPlatform::readEnvironment(const char16_t* name, char16_t* out, size_t cap) {
  auto it = env.find(foldText(name));
  if (it == env.end() || it->second.size() >= cap) {
    if (cap) out[0] = 0;
    return false;
  }
  textCopy(out, cap, it->second.c_str());
  return true;
}

bool FakeConfigPlatform::expandEnvironment(const char16_t* text, char16_t* out, size_t cap) {
  std::u16string s = text, r;
  for (size_t i = 0; i < s.size();) {
    size_t end = s[i] == u'%' ? s.find(u'%', i + 1) : std::u16string::npos;
    if (end != std::u16string::npos) {
      auto it = env.find(foldText(s.substr(i + 1, end - i - 1)));
      if (it != env.end()) {
        r += it->second;
        i = end + 1;
        continue;
      }
    }
    r += s[i++];
  }
  if (r.size() >= cap) return false;
  textCopy(out, cap, r.c_str());
  return true;
}

bool FakeConfigPlatform::pathExists(const char16_t* path) { return file(path) != nullptr; }

bool FakeConfigPlatform::readUserRegistry(const char16_t* subkey, const char16_t* name,
                                          uint32_t* type, void* data, uint32_t* bytes) {
  auto it = registry.find(foldText(std::u16string(subkey) + u"|" + name));
  if (it == registry.end() || it->second.data.size() > *bytes) return false;
  *type = it->second.type;
  *bytes = static_cast<uint32_t>(it->second.data.size());
  if (!it->second.data.empty()) memcpy(data, it->second.data.data(), it->second.data.size());
  return true;
}

size_t FakeConfigPlatform::profileText(const char16_t* path, const char16_t* section,
                                       const char16_t* key, const char16_t* def, char16_t* out,
                                       size_t cap) {
  std::u16string v;
  const IniText* ini = file(path);
  if (ini && ini->find(section, key, &v)) return textCopy(out, cap, v.c_str());
  return textCopy(out, cap, def ? def : u"");
}

int32_t FakeConfigPlatform::profileInt(const char16_t* path, const char16_t* section,
                                       const char16_t* key, int32_t def) {
  std::u16string v;
  const IniText* ini = file(path);
  // As the system reader does, an empty value reads as the default.
  if (!ini || !ini->find(section, key, &v) || v.empty()) return def;
  return parseLeadingInt(v.c_str());
}

size_t FakeConfigPlatform::profileSectionNames(const char16_t* path, char16_t* out, size_t cap) {
  const IniText* ini = file(path);
  if (!ini || cap < 2) return 0;
  size_t n = 0;
  for (const auto& name : ini->sectionNames()) {
    if (n + name.size() + 2 > cap) break;
    for (char16_t c : name) out[n++] = c;
    out[n++] = 0;
  }
  out[n] = 0;
  return n;
}

bool FakeConfigPlatform::screenSize(int32_t* width, int32_t* height) {
  *width = screenWidth;
  *height = screenHeight;
  return true;
}

bool FakeConfigPlatform::localeText(LocaleItem item, char16_t* out, size_t cap) {
  if (!localeWorks) return false;
  textCopy(out, cap, (item == LocaleItem::Thousands ? thousands : decimal).c_str());
  return true;
}

FakeConfigPlatform fakeHost(const std::u16string& ini) {
  FakeConfigPlatform p;
  p.setEnv(u"COMMANDER_INI", kFakeHostFile);
  p.setFile(kFakeHostFile, ini);
  return p;
}
