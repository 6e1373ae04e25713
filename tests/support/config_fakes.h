// In-memory stand-ins for the private-profile reader, the environment, the
// registry, the screen and the locale, so the configuration rules run natively.
#pragma once
#include <cstdint>
#include <map>
#include <string>
#include <vector>

#include "config/config_source.h"

// A private-profile reader over INI text held in memory, with the reader's
// rules: names match without regard to case, blanks are trimmed, the first of
// duplicate keys wins, an empty present value is the empty text.
struct IniText {
  std::u16string text;
  bool find(const char16_t* section, const char16_t* key, std::u16string* value) const;
  std::vector<std::u16string> sectionNames() const;
};

struct FakeRegistryValue {
  uint32_t type;
  std::vector<uint8_t> data;
};
FakeRegistryValue registryString(const std::u16string& s, uint32_t type = kRegSz);
FakeRegistryValue registryDword(uint32_t v);

// The settings themselves are read, as in the plugin, by a ProfileSettingsSource
// over one of these files.
struct FakeConfigPlatform : ConfigPlatform {
  std::map<std::u16string, IniText> files;          // keyed by the folded path
  std::map<std::u16string, std::u16string> env;     // keyed by the folded name
  std::map<std::u16string, FakeRegistryValue> registry;  // "subkey|name", folded
  int32_t screenWidth = 1920, screenHeight = 1080;
  std::u16string thousands = u",", decimal = u".";
  bool localeWorks = true;

  void setFile(const std::u16string& path, const std::u16string& text);
  void setEnv(const std::u16string& name, const std::u16string& value);
  void setRegistry(const std::u16string& subkey, const std::u16string& name, FakeRegistryValue v);

  bool readEnvironment(const char16_t* name, char16_t* out, size_t cap) override;
  bool expandEnvironment(const char16_t* text, char16_t* out, size_t cap) override;
  bool pathExists(const char16_t* path) override;
  bool readUserRegistry(const char16_t* subkey, const char16_t* name, uint32_t* type, void* data,
                        uint32_t* bytes) override;
  size_t profileText(const char16_t* file, const char16_t* section, const char16_t* key,
                     const char16_t* def, char16_t* out, size_t cap) override;
  int32_t profileInt(const char16_t* file, const char16_t* section, const char16_t* key,
                     int32_t def) override;
  size_t profileSectionNames(const char16_t* file, char16_t* out, size_t cap) override;
  bool screenSize(int32_t* width, int32_t* height) override;
  bool localeText(LocaleItem item, char16_t* out, size_t cap) override;

  const IniText* file(const char16_t* path) const;
};

std::u16string foldText(const std::u16string& s);

constexpr const char16_t* kFakeHostFile = u"C:\\tc\\wincmd.ini";
// A platform whose COMMANDER_INI names kFakeHostFile, holding `ini`.
FakeConfigPlatform fakeHost(const std::u16string& ini);
